// Prints the catalogue of codes, one row a line: code, kind and meaning separated by tabs, UTF-8.
#include <cstdio>

#include "common/codes.h"

int main()
{
    for (const CodeRow& row : CodeCatalogue())
        std::printf("%s\t%s\t%s\n", row.code, CodeKindName(row.kind), row.meaning);
    return 0;
}
