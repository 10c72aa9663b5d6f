#pragma once

#include <QString>

namespace WindowStyle {
constexpr int NormalFocus = 1;
constexpr int MinimizedFocus = 2;
} // namespace WindowStyle

// Why nothing was started, in kinds a caller may number.
enum class LaunchFailure { None, NotFound, EmptyCommand, NotPermitted, Other };

struct LaunchResult {
    qint64 pid = 0;  // 0: nothing was started
    QString reason;  // why, when nothing was started
    QString program; // the program as the command line named it
    LaunchFailure failure = LaunchFailure::None;
    explicit operator bool() const { return pid != 0; }
};

// Starts one Windows-style command line as a new process and returns at once.
class Launcher {
public:
    virtual ~Launcher() = default;
    virtual LaunchResult Shell(const QString& commandLine, int windowStyle) = 0;
};
