// Registers the UIKit classes and their selectors in a process's class table.
#pragma once

#include "objc/Runtime.h"

void registerUIKitClasses(objc::Runtime& runtime);
