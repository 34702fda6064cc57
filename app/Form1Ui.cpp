// Makes the build generate the window definition for this library.
#include "Form1Ui.h"
