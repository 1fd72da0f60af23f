// Precompiled for the test programs that drive the editor's widgets.
#pragma once

#include "gui.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
