#include "jobs/split.h"

void SplitPriRows(JobList&)
{
}
