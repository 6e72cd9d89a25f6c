// The catalogue of every code that a message or a problem carries: declared here once, with its
// kind and meaning in codes.cpp. Emitters use these constants, never a literal; the fleet guide's
// tables and the schema's enum are checked against CodeCatalogue(). Codes are only ever added.
// Pure.
#pragma once
#include <vector>

// Each code's constant and its text. A code may be a message's and a problem's at once.
#define VORLA_CODES(X)                                                     \
    X(kConfigurationDone, "configuration-done")                            \
    X(kUpgradeDone, "upgrade-done")                                        \
    X(kUnchanged, "unchanged")                                             \
    X(kPreviewDone, "preview-done")                                        \
    X(kRefusedBeforeWriting, "refused-before-writing")                     \
    X(kConfigurationBusy, "configuration-busy")                            \
    X(kLockUnavailable, "lock-unavailable")                                \
    X(kProgramFilesUnknown, "program-files-unknown")                       \
    X(kInstallFolderMissing, "install-folder-missing")                     \
    X(kGhostscriptMissing, "ghostscript-missing")                          \
    X(kEscFileMissing, "esc-file-missing")                                 \
    X(kPdfPrinterMissing, "pdf-printer-missing")                           \
    X(kBarcodeFontMissing, "barcode-font-missing")                         \
    X(kHeaderLinesWrong, "header-lines-wrong")                             \
    X(kPosUncEmpty, "pos-unc-empty")                                       \
    X(kBackUncEmpty, "back-unc-empty")                                     \
    X(kBranchRefused, "branch-refused")                                    \
    X(kPosPrinterNotChosen, "pos-printer-not-chosen")                      \
    X(kBackPrinterNotChosen, "back-printer-not-chosen")                    \
    X(kSeriesRefused, "series-refused")                                    \
    X(kNotARequest, "not-a-request")                                       \
    X(kBackupFailed, "backup-failed")                                      \
    X(kBackupLeftoverRemoved, "backup-leftover-removed")                   \
    X(kProductWriteFailed, "product-write-failed")                         \
    X(kMapsRemoveFailed, "maps-remove-failed")                             \
    X(kMapWriteFailed, "map-write-failed")                                 \
    X(kTemplateMissing, "template-missing")                                \
    X(kAddressImageNotWritten, "address-image-not-written")                \
    X(kMapsMissing, "maps-missing")                                        \
    X(kBarcode39Mistyped, "barcode39-mistyped")                            \
    X(kPrintersUnreadable, "printers-unreadable")                          \
    X(kPreviewNotWritten, "preview-not-written")                           \
    X(kReportNotWritten, "report-not-written")                             \
    X(kClientTimedOut, "client-timed-out")                                 \
    X(kClientStopped, "client-stopped")                                    \
    X(kStoppedByTechnician, "stopped-by-technician")                       \
    X(kAnswerUnreadable, "answer-unreadable")                              \
    X(kJobUncertain, "job-uncertain")                                      \
    X(kClientFailed, "client-failed")                                      \
    X(kSubmissionBusy, "submission-busy")                                  \
    X(kJournalBusy, "journal-busy")                                        \
    X(kSettleRefused, "settle-refused")                                    \
    X(kJobSettled, "job-settled")                                    \
    X(kCommandLineRefused, "command-line-refused")                         \
    X(kPathMissing, "path-missing")                                        \
    X(kHeaderRefused, "header-refused")                                    \
    X(kOutputRefused, "output-refused")                                    \
    X(kUnexpectedError, "unexpected-error")                                \
    X(kProductKeyMissing, "product-key-missing")                           \
    X(kMapsEmpty, "maps-empty")                                            \
    X(kSectionMissing, "section-missing")                                  \
    X(kValueMissing, "value-missing")                                      \
    X(kValueNotUpgraded, "value-not-upgraded")                             \
    X(kValueMistyped, "value-mistyped")                                    \
    X(kFileMissing, "file-missing")                                        \
    X(kMapFolderIncomplete, "map-folder-incomplete")                       \
    X(kPrinterMissing, "printer-missing")                                  \
    X(kMapsDiffer, "maps-differ")                                          \
    X(kAddressBmpDiffers, "address-bmp-differs")                           \
    X(kChangeLeft, "change-left")

namespace codes {
#define VORLA_CODE_CONSTANT(name, text) inline constexpr char name[] = text;
VORLA_CODES(VORLA_CODE_CONSTANT)
#undef VORLA_CODE_CONSTANT
}  // namespace codes

// What a code names: a message of one kind, or a problem that /check or a run's check finds.
enum class CodeKind { Success, Warning, Failure, Problem };

struct CodeRow {
    const char* code;
    CodeKind kind;
    const char* meaning;  // UTF-8, as the fleet guide's table says it
};

// Every row, in the fleet guide's order: messages first, then problems.
const std::vector<CodeRow>& CodeCatalogue();
// Every constant above, in its order.
const std::vector<const char*>& DeclaredCodes();
// "success", "warning", "failure", "problem".
const char* CodeKindName(CodeKind kind);
