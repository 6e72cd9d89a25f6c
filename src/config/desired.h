// What a request asks the branch to hold, declared as data: no writer is run to find it out.
// Pure.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "common/product_keys.h"
#include "common/reg_text.h"
#include "config/configure.h"
#include "config/request.h"

// A file of a map folder and where it comes from: a copy of a file of the program's folder, a
// link to the same name in the type's first folder, or the header image drawn from the lines.
struct DesiredFile {
    enum class Source { Copy, Link, Image } source = Source::Copy;
    std::wstring path;
    std::wstring from;  // the copy's source, the link's existing file; empty for the image
};

struct DesiredState {
    std::vector<RegKeyData> keys;       // the product key, then each map, Master and Copy, in writing order
    std::vector<std::wstring> folders;  // the map folders, in order
    std::vector<DesiredFile> files;     // in the order the map writer makes them
};

// Which form templates the program's folder holds: a type without one gets no map.
struct TemplateFacts {
    bool pos = true;
    bool back = true;
};
TemplateFacts TemplatesIn(MachineProbe& probe, const std::wstring& programDir);
// The templates that a request needs and the folder lacks (full paths).
std::vector<std::wstring> MissingTemplates(const Request& request, const TemplateFacts& templates,
                                           const std::wstring& programDir);

// The whole configuration the request asks for on a machine whose folders and templates are
// these: the product values, map n for the n-th series (POS first, a type without its template
// left out), each map's folder and files.
DesiredState Desired(const Request& request, const MachinePaths& paths, const ProductRoot& root = {},
                     const TemplateFacts& templates = {});

// The map keys alone (paths from the hive), as /check compares them.
std::vector<RegKeyData> DesiredMaps(const Request& request, const std::wstring& installDir,
                                    const ProductRoot& root = {}, const TemplateFacts& templates = {});

// What "Upgrade Vorla" leaves of the tree (as ReadKeyTree gives it), a function of the maps as
// they are: each map gains the flags it lacks, each output section (made where missing) its second
// barcode derived from the first and the QR-code placement. A Barcode39 of another type stops
// the upgrade there, as the run stops; without a maps key the tree stays as it is.
std::vector<RegKeyData> DesiredUpgrade(std::vector<RegKeyData> tree, const ProductRoot& root = {});
