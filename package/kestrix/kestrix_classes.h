#pragma once
// What the system needs before it can create a control of a class a
// template names: the common-control group that registers it, or the
// rich-edit library. Each is made ready once, when a template first needs
// it, so that a program's start does not pay for classes its dialogs never use.

#include <windows.h>

#include "package/res/res_trees.h"

namespace kestrix {

// Registers every group and loads every library the template's controls
// need that this process has not already made ready.
void PrepareControlClasses(const package::res::DialogTemplate& dialog);

}  // namespace kestrix
