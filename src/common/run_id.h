// What names one run of the program: an identifier made once per process, written on the
// journal's lines and in the JSON document, so that a fleet report ties the two together.
#pragma once
#include <string>

// A random UUID (version 4, lower case, "xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx"), the same for the
// whole process.
const std::string& ThisRunId();
