// Precompiled for the test programs that drive no widgets: GoogleTest
// and QtTest on top of the core's headers.
#pragma once

#include "core.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
