#include "jobs/submit.h"

void SubmitRows(JobList&, std::wstring&, CommandPort&)
{
}
