#pragma once

#include <QIcon>

QIcon appIcon();
