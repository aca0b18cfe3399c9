#pragma once
// Everything the Windows end-to-end tests share.
#include "tests/support/AutomationClient.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/ProgramUnderTest.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WindowLookup.h"
