// "Is this branch configured right?": reads a configuration as it stands and names every
// problem, without writing anything. Pure: the registry comes as read, the machine through a probe.
#pragma once
#include <string>
#include <vector>

#include "common/outcome.h"
#include "common/reg_text.h"
#include "config/configure.h"
#include "config/desired.h"
#include "config/machine_probe.h"

// What the configuration is compared with, besides the layout: what /configure would leave for a
// request (its registry is compared below the maps key, through the plan that would make it), and
// the header image it would draw (the bytes of its BMP file).
struct CheckExpectation {
    const DesiredState* desired = nullptr;
    const std::string* headerImage = nullptr;
    std::vector<std::wstring> missingTemplates;  // the request's form templates that the program lacks
};

// Every problem of the product key tree (as ReadKeyTree gives it, parents first), one line each:
// missing or mistyped values, files and folders the maps name that are not there, printers the
// machine lacks, the barcode font, values only an upgrade adds. With a declared state, also each
// place below the maps key that its plan would change.
// With a header image, each type's first map folder's address.bmp is compared with it.
std::vector<std::wstring> ConfigurationProblems(const std::vector<RegKeyData>& tree, MachineProbe& probe,
                                                const CheckExpectation& expected = {}, const ProductRoot& root = {});

// The same problems, each with its stable code and the key, value or file it concerns:
// product-key-missing, maps-missing, maps-empty, section-missing, value-missing,
// value-not-upgraded, value-mistyped, file-missing, map-folder-incomplete, printer-missing,
// barcode-font-missing, maps-differ, address-bmp-differs.
std::vector<Problem> FindConfigurationProblems(const std::vector<RegKeyData>& tree, MachineProbe& probe,
                                               const CheckExpectation& expected = {}, const ProductRoot& root = {});
