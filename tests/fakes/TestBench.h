#pragma once

#include "Fakes.h"
#include "InternalEditorWindow.h"
#include "Workbench.h"
#include "frmMain.h"

// The workbench with the real editor window over `services`, wired as main() wires the real
// ones; the editor window, if still open, goes with it.
struct TestBench {
    TestBench(const Services& services, Printing& printing)
        : editor(services, printing)
        , workbench(services, editor)
    {
    }
    explicit TestBench(FakeServices& fakes)
        : TestBench(fakes.services(), fakes.printing)
    {
    }
    InternalEditorWindow editor;
    Workbench workbench;
};
