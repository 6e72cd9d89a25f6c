// The rows of the command table: every command, the switches it takes, and the usage's notes.
#include "app/command_line.h"

CommandTable CommandTableRows()
{
    const Need R = Need::Required, O = Need::Optional, Q = Need::Request;
    CommandTable table;
    table.switches = {
        {L"branch", Takes::Text, L"N"},          {L"pos", Takes::TextOrEmpty, L"LIST"},
        {L"back", Takes::TextOrEmpty, L"LIST"},  {L"posprinter", Takes::Text, L"NAME"},
        {L"backprinter", Takes::Text, L"NAME"},  {L"posunc", Takes::TextOrEmpty, L"PATH"},
        {L"backunc", Takes::TextOrEmpty, L"PATH"}, {L"header", Takes::Text, L"FILE"},
        {L"whatif", Takes::NothingOrText, L"FILE"}, {L"report", Takes::Text, L"FILE"},
        {L"timeout", Takes::Seconds, L"SECONDS"}, {L"json", Takes::Nothing, nullptr},
        {L"force", Takes::Nothing, nullptr},      {L"wait", Takes::Seconds, L"SECONDS"},
        {L"journal", Takes::Text, L"FILE"},
    };
    table.commands = {
        {CliCommand::Configure, L"configure",
         {{L"branch", R}, {L"pos", R}, {L"back", R}, {L"posprinter", R}, {L"backprinter", R}, {L"posunc", O},
          {L"backunc", O}, {L"header", R}, {L"whatif", O}, {L"force", O}, {L"wait", O}, {L"json", O}},
         nullptr, false, L"configures Vorla as \"Configure Vorla\" does, then checks what it left"},
        {CliCommand::Upgrade, L"upgrade", {{L"whatif", O}, {L"force", O}, {L"wait", O}, {L"json", O}}, nullptr, false,
         L"upgrades the form maps as \"Upgrade Vorla\" does, then checks what it left"},
        {CliCommand::Check, L"check",
         {{L"branch", Q}, {L"pos", Q}, {L"back", Q}, {L"posprinter", Q}, {L"backprinter", Q}, {L"posunc", O},
          {L"backunc", O}, {L"header", O}, {L"wait", O}, {L"json", O}},
         nullptr, true, L"writes nothing; lists every problem of the configuration, one per line"},
        {CliCommand::Analyze, L"analyze", {{L"report", O}, {L"json", O}}, L"PATH...", true,
         L"runs \"Resubmit files (analyze)\" on the paths and writes a CSV report"},
        {CliCommand::Submit, L"submit", {{L"report", O}, {L"timeout", O}, {L"journal", O}, {L"json", O}}, L"PATH...", false,
         L"runs \"Resubmit files (submit)\" on the paths and writes a CSV report"},
        {CliCommand::Window, L"", {}, L"[PATH...]", false,
         L"opens the window with the rows that a drop of the paths gives", nullptr},
        {CliCommand::Version, L"version", {{L"json", O}}, nullptr, true,
         L"prints the version number"},
        {CliCommand::Help, L"?", {{L"json", O}}, nullptr, true, L"shows this text", nullptr},
    };
    table.notes = {
        L"Switches may start with / or -, in any letter case; a value follows a colon and may be quoted.",
        L"/header:FILE holds the five lines of the branch header: UTF-8, UTF-16 with a BOM (either byte",
        L"order), or the ANSI code page.",
        L"/whatif writes nothing and prints what the run would write, as .reg text; /whatif:FILE also",
        L"writes it to FILE in UTF-16, for \"reg import FILE /reg:32\".",
        L"/check with the request switches also names every difference from what /configure would",
        L"write (what it would write, and what is there), and with /header an address.bmp that differs",
        L"from the image of this header.",
        L"The report is CSV (UTF-8) to FILE or standard output, with a State column; a cell that begins",
        L"with = + - @, a tab or a CR gets a leading ' so that no spreadsheet runs it. /timeout ends a",
        L"client that runs longer and stops the pass. /journal:FILE records each job's start and end;",
        L"run again with the same FILE, /submit sends no job that FILE shows as started.",
        L"A /configure or /upgrade that finds everything as it would leave it writes nothing, and says",
        L"\"Nothing had to change\" on standard output. Before its first write, it runs its own /whatif:",
        L"when that would exit 1 or 3, it writes nothing, lists why and exits 1; /force runs it anyway.",
        L"/whatif exits as the same command line without it would: 0, 1 (it would refuse or fail), or 3",
        L"(only with /force); the problems it would leave go to standard error. A run writes only what",
        L"differs from the request, value by value; then it plans again, and what is left is exit 3.",
        L"/configure, /upgrade and /check hold one lock per machine while they read or write the",
        L"configuration; another run waits for it up to /wait:SECONDS (60 by default).",
        L"Success goes to standard output; warnings and failures go to standard error.",
        L"/json: standard output holds one JSON document (UTF-8) instead: the messages with their",
        L"codes, the problems, the changes, the backup and the rows; standard error keeps its lines.",
        L"Exit codes: 0 done (/check: no problem); 1 a check failed, or a write or a failure stopped the",
        L"run (/check: problems), or the run refused before its first write; 2 a bad command line,",
        L"nothing ran; 3 the run ended, but the configuration it left has problems (listed on standard",
        L"error); 4 the pass ended, but its report could not be written to FILE and went to standard",
        L"output; 5 another run holds the configuration: nothing ran, try again later; 6 the journal",
        L"shows a job started by an earlier run that did not see it end: it may have been submitted",
        L"(uncertain).",
    };
    return table;
}
