// What a fleet report needs to know of this run beside its result: which run, on which computer,
// when it started and how long it took.
#pragma once
#include "app/result_document.h"

// The facts as of now: the process's start, the time since, this computer's name, ThisRunId().
RunFacts ThisRunFacts();
