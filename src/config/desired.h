// What the branch should hold, declared as data in the order a run makes it: the product values,
// each map with its folder and files, and for an upgrade the values the maps lack. No writer is
// run to find it out; the plan is the difference between this and the machine as it stands.
// Pure.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "common/product_keys.h"
#include "common/reg_text.h"
#include "config/configure.h"
#include "config/request.h"

// A file of a map folder and where it comes from: a copy of a file of the program's folder, a
// link to the same name in the type's first folder, or the header image drawn from the lines.
// A copy or link that is there already is never replaced; the image is drawn anew when it differs.
struct DesiredFile {
    enum class Source { Copy, Link, Image } source = Source::Copy;
    std::wstring path;
    std::wstring from;                   // the copy's source, the link's existing file; empty for the image
    std::optional<std::string> image;    // the image's BMP file bytes (none: the lines draw no image)
    std::vector<std::wstring> lines;     // the image's lines
};

// One part of the configuration, in the order the run makes it: its message shown first, then
// what the state does not declare below the replaced key removed, then the folder with its
// parents and its files, then the keys (full paths; each made where missing and holding at
// least these values, in this order). A map folder is never removed.
struct DesiredPart {
    std::optional<OutcomeMessage> note;
    std::wstring replaces;  // a key below which only the keys and values the state declares stay
    std::wstring folder;
    std::vector<DesiredFile> files;
    std::vector<RegKeyData> keys;
};

struct DesiredState {
    std::vector<DesiredPart> parts;
    // The keys are opened as they stand (a refusal says "Failed to open <key>"), not written anew.
    bool opensKeys = false;
    // The run ends after the last part with this failure (an upgrade that meets a mistyped value).
    std::optional<OutcomeMessage> stops;

    std::vector<RegKeyData> Keys() const;       // every key declared, in order
    std::vector<std::wstring> Folders() const;  // every folder, in order
    std::vector<DesiredFile> Files() const;     // every file, in order
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

// The whole configuration the request asks for on a machine whose folders, templates and drawn
// header image are these: the product values, then the maps key holding only the request's maps,
// map n for the n-th series (POS first; a type without its template is said once and left out),
// each map's folder and files.
DesiredState Desired(const Request& request, const MachinePaths& paths, const ProductRoot& root = {},
                     const TemplateFacts& templates = {}, const std::optional<std::string>& image = std::nullopt);

// The map keys alone (paths from the hive), as /check and /show compare them.
std::vector<RegKeyData> DesiredMaps(const Request& request, const std::wstring& installDir,
                                    const ProductRoot& root = {}, const TemplateFacts& templates = {});

// "Upgrade Vorla" declared, a function of the maps as they are (the tree as ReadKeyTree gives it):
// each map the flags it lacks, each output section (made where missing) its second barcode derived
// from the first and the QR-code placement. A Barcode39 of another type stops the upgrade there;
// without a maps key nothing is declared and the upgrade stops at once.
DesiredState DesiredUpgradeState(const std::vector<RegKeyData>& tree, const ProductRoot& root = {});

// The tree as a state leaves it: the declared keys made and their values set, and below each
// replaced key only what the state declares.
std::vector<RegKeyData> TreeAfter(std::vector<RegKeyData> tree, const DesiredState& state, const ProductRoot& root = {});

// What "Upgrade Vorla" leaves of the tree.
std::vector<RegKeyData> DesiredUpgrade(const std::vector<RegKeyData>& tree, const ProductRoot& root = {});
