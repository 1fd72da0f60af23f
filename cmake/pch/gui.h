// Precompiled for the editor's layers: the Qt Widgets headers their pages,
// dialogs and windows include, on top of the core's.
#pragma once

#include "core.h"

#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>
