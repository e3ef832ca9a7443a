// The settings file, settings.ini in the current directory.
#pragma once

// Creates settings.ini with its initial four lines unless something of that
// name exists. Skipped silently when the file cannot be made (one that
// cannot be written whole is removed again), or when its full path does not
// fit in MAX_PATH bytes.
void InitINIFile();
