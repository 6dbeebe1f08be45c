#pragma once
// The texts of the command-line companion's messages, help and progress, each
// in Simplified Chinese and English, and the language the process speaks. The
// window never changes the language: it stays Chinese.
#include <initializer_list>
#include <string>

namespace tessarin {

enum class Language { Chinese, English };

// The language a locale asks for: the first of LC_ALL, LC_MESSAGES and LANG
// that is set and not empty decides; "en" or "en_*" is English, anything else
// (zh_*, C, POSIX, unset) Chinese. Null pointers count as unset.
Language LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang);
// The same from this process's environment.
Language LanguageFromEnvironment();

void SetMessageLanguage(Language language);
Language MessageLanguage();

// Every text, by what it says. Rows whose Chinese is a text the shared commands
// show (their message boxes) are found by that text too (see Translated).
enum class Msg {
    // Causes of a failure, in words.
    CauseNotFound, CauseFolderNotFound, CauseDenied, CauseInUse, CauseDiskFull, CauseNotAFile, CauseDeviceIO,
    CauseExists, CausePastEnd, CauseTooManyFiles, CauseOutOfMemory, ErrorNumber, FileFailure, NotArc,
    OpenArchiveLead, GenericFailure, PermissionWindowText,
    // The companion's own messages.
    TypesMissing, TypesLineSkipped, StdoutIncomplete, StdoutWriteFailed, NoSuchEntry, NoArchiveGiven,
    NoSourceGiven, CreateDestLead, NotRegularSkipped, NoMatchSkipped, VerifyClean, VerifyProblems, ListCount,
    StdinReadLead, ProgressEntries, ProgressLeft,
    // Usage errors.
    UnknownVerb, UnknownOption, MissingArgument, NoVerb, ExtraArgument, BadValue, DidYouMean, SeeHelp,
    // Help.
    HelpUsage, HelpOptions, HelpVerbs, HelpArguments, HelpRequired, HelpExcludes, HelpOptionsBadge, HelpVerbBadge, HelpProgram,
    HelpHelp, HelpVersion, HelpQuiet, HelpTypes, HelpKey, HelpKeys, HelpArchiveRead, HelpArchiveRewrite,
    HelpArchiveNew, HelpArchiveCheck, HelpSource, HelpRaw, HelpRawCat, HelpJson, HelpListKeys, HelpDest,
    HelpImportFolder, HelpCreateFolder, HelpDryRun, HelpCheckAll, HelpAdd, HelpNewKey, VerbList, VerbExtract,
    VerbReplace, VerbImport, VerbVerify, VerbCreate, VerbAdd, VerbDelete, VerbRename, VerbCat,
    // Texts of the shared commands, translated for the companion.
    SharedReadArchive, SharedReadFolder, SharedReadFile, SharedReadImported, SharedReadSource, SharedMakeFolder,
    SharedWriteNewArchive, SharedWriteReplacing, SharedWriteExport, SharedReadPrevious, SharedUndoFailed,
    SharedReadEntryData, SharedNotOpenExport, SharedNotOpenEdit, SharedNotOpenCheck, SharedNotOpenReplace,
    SharedNotOpenImport, SharedStopped, SharedArchiveExists, SharedReadOnly, SharedSwapped, SharedReplaceDone,
    SharedExportDone, SharedExportAllDone, SharedImportStopped, SharedEntryExportFailed, SharedHasEntry, SharedNoEntry, SharedBadKey, SharedTwoFiles,
    SharedSameNewName, SharedTooLarge, TypesInUse, TypesBuiltIn,
    Count
};

struct MessageText {
    Msg id;
    const char* chinese;
    const char* english;
};

// Every row, in the order of Msg.
const MessageText* MessageTable();

// The text in the process's language.
std::string Text(Msg id);
// The text with "{1}", "{2}", ... replaced by the arguments in turn.
std::string Say(Msg id, std::initializer_list<std::string> args);

// A Chinese text a shared command shows, in the process's language: the row
// whose Chinese is exactly text; else, when text begins with a row's Chinese
// that ends in "：" (a lead before a path or key), that row's text and the
// rest; else text itself.
std::string Translated(const std::string& text);

}  // namespace tessarin
