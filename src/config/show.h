// The configuration as the request that gives it: what /configure would have to be asked for to
// leave the branch exactly as it stands. Pure: the registry comes as read.
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/product_keys.h"
#include "common/reg_text.h"
#include "config/request.h"

struct ShownRequest {
    // The request; its header lines stay empty, since the header is kept only as an image.
    std::optional<Request> request;
    std::wstring whyNone;  // when no request gives the configuration: the first thing that says so
};

// Reads the request back from the product key tree (as ReadKeyTree gives it) and keeps it only
// when the maps it would write are exactly the maps there, and the product values are
// /configure's for this Ghostscript. A type without maps shows no printer and no output folder.
ShownRequest ShowRequest(const std::vector<RegKeyData>& tree, const std::wstring& installDir,
                         const std::wstring& ghostscriptPath, const ProductRoot& root = {});

// The request as /configure's switches name it, in their order: branch, pos, back, posprinter,
// backprinter, posunc, backunc.
std::vector<std::pair<std::string, std::wstring>> RequestSwitches(const Request& request);
