// "Upgrade Vorla": brings the form maps of an existing configuration up to date in place.
#pragma once
#include <string>
#include <vector>

#include "common/show_message.h"
#include "common/product_keys.h"
#include "common/reg_text.h"
#include "config/config_writer.h"

// What a whole upgrade shows at its end: "Done!".
extern const wchar_t kUpgradeDone[];

// The upgrade of the maps as read (the tree of the root's maps key, parents first; empty when the
// key is absent), written through the writer: before its first write a backup, then per map the
// missing flags, then both output sections. Shows "Done!" or the first failure; true when done.
bool RunUpgrade(const std::vector<RegKeyData>& maps, ConfigWriter& writer, const ShowMessageFn& show,
                const ProductRoot& root = {});
class MessageLog;  // common/outcome.h
// The same, keeping each message with its kind and code in the log's outcome.
bool RunUpgrade(const std::vector<RegKeyData>& maps, ConfigWriter& writer, const MessageLog& log,
                const ProductRoot& root = {});

// The upgrade of this machine's root through the writer: the maps key read, then RunUpgrade.
// A maps key that is absent or cannot be read fails with "Failed to open <maps key>".
bool UpgradeMachine(ConfigWriter& writer, const ShowMessageFn& show, const ProductRoot& root = {});
// The same, keeping each message with its kind and code ("upgrade-done", "maps-missing",
// "barcode39-mistyped", "backup-failed", "map-write-failed") in the log's outcome.
bool UpgradeMachine(ConfigWriter& writer, const MessageLog& log, const ProductRoot& root = {});
