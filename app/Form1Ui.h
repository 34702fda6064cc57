#pragma once

// The generated window definition. Code outside the window's own library
// includes this header instead of the generated one, so that its build does
// not look for the form file in its own folder.
#include "ui_form1.h"
