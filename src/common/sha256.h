// SHA-256 of a byte string, as lower-case hex (FIPS 180-4). Pure.
#pragma once
#include <string>

std::string Sha256Hex(const std::string& bytes);
