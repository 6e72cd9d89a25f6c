#include "common/codes.h"

using namespace codes;

const std::vector<CodeRow>& CodeCatalogue()
{
    using K = CodeKind;
    static const std::vector<CodeRow> rows = {
        {kConfigurationDone, K::Success, "`/configure` wrote everything (\"Η εντολή ολοκληρώθηκε\")"},
        {kUpgradeDone, K::Success, "`/upgrade` brought every map up to date (\"Done!\")"},
        {kUnchanged, K::Success,
         "`/configure` or `/upgrade` found everything as it would leave it and wrote nothing (`changed` is false)"},
        {kPreviewDone, K::Success, "`/whatif`: the run would get to its end; nothing was written"},
        {kRefusedBeforeWriting, K::Failure,
         "the run's own preview would exit 1 or 3: nothing was written (exit 1; `/force` runs it anyway)"},
        {kConfigurationBusy, K::Failure,
         "another run held the configuration's lock for longer than `/wait` (exit 5): nothing ran"},
        {kSubmissionBusy, K::Failure,
         "`/submit`: another run held the submission's lock for longer than `/wait` (exit 5): nothing ran"},
        {kJournalBusy, K::Failure, "`/submit` or `/settle`: another run holds the journal open (exit 5): nothing ran"},
        {kJobSettled, K::Success, "`/settle`: the journal now says how the uncertain job was settled"},
        {kLockUnavailable, K::Failure,
         "the configuration's or the submission's lock could not be made at all (exit 1): nothing ran, and a retry will not help"},
        {kProgramFilesUnknown, K::Failure, "the Program Files folder could not be found"},
        {kInstallFolderMissing, K::Failure, "Vorla's folder is not there"},
        {kGhostscriptMissing, K::Failure, "Ghostscript 9.14 is not installed"},
        {kEscFileMissing, K::Failure, "`generic_ab.esc` is not beside the program"},
        {kPdfPrinterMissing, K::Failure, "the CutePDF Writer printer is not installed"},
        {kBarcodeFontMissing, K::Failure, "the barcode font is not installed (also a problem code)"},
        {kHeaderLinesWrong, K::Failure, "the header file does not hold exactly five lines (also a problem code)"},
        {kPosUncEmpty, K::Warning, "an empty `/posunc:`: the POS maps get no output folder"},
        {kBackUncEmpty, K::Warning, "an empty `/backunc:`: the BACK maps get no output folder"},
        {kBranchRefused, K::Failure, "the branch number is not from 1 to 9999"},
        {kPosPrinterNotChosen, K::Failure, "the machine has no such POS printer (also a problem code of `/check`)"},
        {kBackPrinterNotChosen, K::Failure, "the machine has no such BACK printer (also a problem code of `/check`)"},
        {kSeriesRefused, K::Failure,
         "a series list holds an empty item, an item that is not a whole number without a sign, a number twice, or a number in both lists; the text names the item, its list and the rule"},
        {kBackupFailed, K::Failure, "the backup could not be written; nothing was changed"},
        {kBackupLeftoverRemoved, K::Warning,
         "the backup deleted a file that a stopped run left in the backups folder (a temporary file, or an empty or cut backup); the text names it"},
        {kProductWriteFailed, K::Failure, "a write of the product's values stopped the run; what was written stays"},
        {kMapsRemoveFailed, K::Failure, "removing the old maps stopped the run; what was written stays"},
        {kMapWriteFailed, K::Failure, "a write of a map stopped the run; what was written stays"},
        {kTemplateMissing, K::Warning, "a form template is missing: no map of that type was written (also a problem code: `/check` with a request, and the check before a run)"},
        {kAddressImageNotWritten, K::Warning, "`address.bmp` could not be written"},
        {kMapsMissing, K::Failure, "`/upgrade`: there is no `maps` key to upgrade (also a problem code)"},
        {kBarcode39Mistyped, K::Failure, "`/upgrade`: a `Barcode39` value is not text"},
        {kPrintersUnreadable, K::Warning, "the printers could not be listed (also a problem code)"},
        {kPreviewNotWritten, K::Failure, "`/whatif:FILE` could not write FILE"},
        {kReportNotWritten, K::Warning,
         "`/report:FILE` could not be written; the report went to standard output (exit 4)"},
        {kClientTimedOut, K::Failure, "the submit client ran longer than `/timeout`, was ended, and stopped the pass"},
        {kClientStopped, K::Failure, "the wait for the submit client was stopped, and the client ended"},
        {kStoppedByTechnician, K::Failure, "the pass was stopped before the next job"},
        {kAnswerUnreadable, K::Failure, "the client's answer file could not be read"},
        {kJobUncertain, K::Warning,
         "`/submit /journal:FILE`: the journal shows this job started by an earlier run that never saw it end; "
         "not sent again (exit 6)"},
        {kClientFailed, K::Failure, "the client could not be started, or its result file not prepared"},
        {kSettleRefused, K::Failure,
         "`/settle`: the journal does not show the file as uncertain (exit 2); the text says what it holds, and nothing was written"},
        {kCommandLineRefused, K::Failure,
         "a bad command line: an unknown or mistyped switch, a missing or wrong value (exit 2); the text names it"},
        {kPathMissing, K::Failure, "a path given to `/analyze` or `/submit` does not exist (exit 2): nothing ran"},
        {kHeaderRefused, K::Failure,
         "`/header:FILE` could not be read, or its encoding is unclear (exit 2): nothing ran"},
        {kOutputRefused, K::Failure,
         "`/report:FILE` or `/journal:FILE` cannot be written, or would replace a job's or the other's file "
         "(exit 2): nothing ran"},
        {kUnexpectedError, K::Failure, "anything else that ended the command (exit 1)"},

        {kProductKeyMissing, K::Problem, "`HKLM\\SOFTWARE\\Kelvane\\Vorla` is not there"},
        {kMapsMissing, K::Problem, "its `maps` key is not there"},
        {kMapsEmpty, K::Problem, "the `maps` key holds no map"},
        {kSectionMissing, K::Problem, "a map lacks its `Master` or `Copy` section (`key`)"},
        {kValueMissing, K::Problem, "a value is missing (`key`, `value`)"},
        {kValueNotUpgraded, K::Problem, "a value that only \"Upgrade Vorla\" adds is missing: run `/upgrade`"},
        {kValueMistyped, K::Problem, "a value has the wrong type (`key`, `value`)"},
        {kFileMissing, K::Problem, "`EscFile`, `XmlFile` or `ps2pdf_cmd` names no file (`file`)"},
        {kMapFolderIncomplete, K::Problem, "a map folder lacks `ab1.bmp` or `address.bmp` (`file`)"},
        {kPrinterMissing, K::Problem, "a map's `Printer` names a printer the machine does not have"},
        {kNotARequest, K::Problem,
         "`/show`: no request gives the configuration as it stands; the text names the first thing that says so"},
        {kBarcodeFontMissing, K::Problem, "the barcode font is not installed"},
        {kMapsDiffer, K::Problem,
         "`/check` with a request: a place where the maps differ from what `/configure` would write (one problem for each, with `expected` and `found`)"},
        {kChangeLeft, K::Problem, "after a run: the plan, made again, still finds this change to make"},
        {kAddressBmpDiffers, K::Problem,
         "`/check /header:FILE`: an `address.bmp` differs from the image of this header (`file`)"},
        {kPosPrinterNotChosen, K::Problem, "`/check` with a request: the machine has no such POS printer"},
        {kBackPrinterNotChosen, K::Problem, "`/check` with a request: the machine has no such BACK printer"},
        {kHeaderLinesWrong, K::Problem, "`/check /header:FILE`: the file does not hold five lines"},
        {kPrintersUnreadable, K::Problem, "the printers could not be listed"},
    };
    return rows;
}

const std::vector<const char*>& DeclaredCodes()
{
#define VORLA_CODE_TEXT(name, text) name,
    static const std::vector<const char*> declared = {VORLA_CODES(VORLA_CODE_TEXT)};
#undef VORLA_CODE_TEXT
    return declared;
}

const char* CodeKindName(CodeKind kind)
{
    switch (kind) {
    case CodeKind::Success: return "success";
    case CodeKind::Warning: return "warning";
    case CodeKind::Failure: return "failure";
    case CodeKind::Problem: return "problem";
    }
    return "problem";
}
