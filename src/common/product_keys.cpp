#include "common/product_keys.h"

const wchar_t kProductKeyPath[] = L"SOFTWARE\\Kelvane\\Vorla";
const wchar_t kMapsKeyPath[] = L"SOFTWARE\\Kelvane\\Vorla\\maps";
