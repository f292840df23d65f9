// The option summary shown for -?.
#pragma once

// The text of the help message box, one line per option.
const char* HelpText();
