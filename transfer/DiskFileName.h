#pragma once

#include <QString>

// The name a local file has on the chip's disk: the characters of its path
// after the last folder separator, the whole path when there is none. Both
// separators count, so a path typed the other platform's way works too.
// The name is used as it is: no change of case, no length or character test.
QString DiskFileName(const QString& path);
