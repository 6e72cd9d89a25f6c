#include "jobs/convert.h"

void ConvertDirections(JobList&, const std::wstring&, const std::wstring&)
{
}
