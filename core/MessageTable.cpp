#include "core/MessageTable.h"

#include <cstdlib>
#include <cstring>

namespace tessarin {

namespace {

// Chinese and English side by side; the row order is the order of Msg (checked
// when the table is first used).
constexpr MessageText kTable[] = {
    {Msg::CauseNotFound, "不存在", "does not exist"},
    {Msg::CauseFolderNotFound, "所在的文件夹不存在", "its folder does not exist"},
    {Msg::CauseDenied, "权限不足", "permission denied"},
    {Msg::CauseInUse, "已被另一个程序打开", "is open in another program"},
    {Msg::CauseDiskFull, "磁盘已满", "the disk is full"},
    {Msg::CauseNotAFile, "不是普通文件（可能是文件夹）", "not a regular file (a folder?)"},
    {Msg::CauseDeviceIO, "读写设备出错", "input/output error"},
    {Msg::CauseExists, "已存在", "already exists"},
    {Msg::CausePastEnd, "数据比记录的短，文件不完整", "shorter than its records say (cut short)"},
    {Msg::CauseTooManyFiles, "打开的文件过多", "too many open files"},
    {Msg::CauseOutOfMemory, "内存不足", "out of memory"},
    {Msg::ErrorNumber, "（错误 {1}）", " (error {1})"},
    {Msg::FileFailure, "{1}{2}：{3}", "{1} {2}: {3}"},
    {Msg::NotArc, "不是 ARC 档案（文件开头不是 ARC 标记）", "not an ARC archive (it does not begin with the ARC mark)"},
    {Msg::OpenArchiveLead, "无法打开档案：", "Cannot open the archive:"},
    {Msg::GenericFailure, "出错：{1}", "Failed: {1}"},
    {Msg::PermissionWindowText, "没有权限打开这个文件,请检查文件的权限后再重试.", "You may not open this file; check its permissions and try again."},
    {Msg::TypesMissing, "类型文件不存在：{1}", "The type table does not exist: {1}"},
    {Msg::TypesLineSkipped, "{1}：第 {2} 行没有 \":\"，已跳过。", "{1}: line {2} has no \":\", skipped."},
    {Msg::StdoutIncomplete, "无法写出标准输出，输出不完整。", "Cannot write to standard output; the output is incomplete."},
    {Msg::StdoutWriteFailed, "无法写到标准输出：{1}", "Cannot write to standard output: {1}"},
    {Msg::NoSuchEntry, "档案中没有这个条目，KEY：{1}", "The archive has no entry with this key: {1}"},
    {Msg::NoArchiveGiven, "未指定档案文件。", "No archive given."},
    {Msg::NoSourceGiven, "未指定替换文件。", "No source file given."},
    {Msg::CreateDestLead, "无法创建目标文件夹：", "Cannot create the destination folder:"},
    {Msg::NotRegularSkipped, "不是普通文件，已跳过：{1}", "Not a regular file, skipped: {1}"},
    {Msg::NoMatchSkipped, "没有对应的对象，已跳过：{1}", "Matches no entry, skipped: {1}"},
    {Msg::VerifyClean, "共 {1} 个条目，未发现问题。", "{1} entries, no problems found."},
    {Msg::VerifyProblems, "共 {1} 个条目，发现 {2} 处问题。", "{1} entries, {2} problems found."},
    {Msg::ListCount, "发现 {1} 个对象", "{1} entries"},
    {Msg::StdinReadLead, "无法读取标准输入：", "Cannot read standard input:"},
    {Msg::ProgressEntries, "{1}/{2} 个条目 {3}%", "{1}/{2} entries {3}%"},
    {Msg::ProgressLeft, "剩余 {1}", "{1} left"},
    {Msg::UnknownVerb, "未知的命令：{1}", "unknown verb: {1}"},
    {Msg::UnknownOption, "未知的选项：{1}", "unknown option: {1}"},
    {Msg::MissingArgument, "缺少参数：{1}", "missing argument: {1}"},
    {Msg::NoVerb, "缺少命令（{1}）", "a verb is required ({1})"},
    {Msg::ExtraArgument, "多余的参数：{1}", "unexpected argument: {1}"},
    {Msg::BadValue, "参数不正确：{1}", "invalid argument: {1}"},
    {Msg::DidYouMean, "，是不是 {1}？", "; did you mean {1}?"},
    {Msg::SeeHelp, "用法见 {1}", "See {1}"},
    {Msg::HelpUsage, "用法", "Usage"},
    {Msg::HelpOptions, "选项", "Options"},
    {Msg::HelpVerbs, "命令", "Verbs"},
    {Msg::HelpArguments, "参数", "Arguments"},
    {Msg::HelpRequired, "（必需）", "(required)"},
    {Msg::HelpExcludes, "不能同时使用", "Excludes"},
    {Msg::HelpOptionsBadge, "选项", "OPTIONS"},
    {Msg::HelpVerbBadge, "命令", "VERB"},
    {Msg::HelpProgram, "Tessarin 的命令行工具，处理 ARC 档案", "Tessarin command-line companion for ARC archives"},
    {Msg::HelpHelp, "显示本帮助并退出", "Print this help and exit"},
    {Msg::HelpVersion, "显示版本并退出", "Print the version and exit"},
    {Msg::HelpQuiet, "不显示进度和完成消息", "Show no progress and no success messages"},
    {Msg::HelpTypes, "类型表（默认：用户配置中的 ExtType.Dll，否则程序旁边的）", "Type table (default: the user's ExtType.Dll, else the one beside the program)"},
    {Msg::HelpKey, "条目的 KEY（完整名称、\".\"、类型代码）", "Entry key (full name, '.', type code)"},
    {Msg::HelpKeys, "条目的 KEY（完整名称、\".\"、类型代码）", "Entry keys (full name, '.', type code)"},
    {Msg::HelpArchiveRead, "要读取的档案", "Archive to read"},
    {Msg::HelpArchiveRewrite, "要改写的档案", "Archive to rewrite"},
    {Msg::HelpArchiveNew, "要写出的档案（不能已存在）", "Archive to write (must not exist)"},
    {Msg::HelpArchiveCheck, "要检查的档案", "Archive to check"},
    {Msg::HelpSource, "数据来源文件（\"-\" 为标准输入）", "File whose bytes become the entry's data ('-': standard input)"},
    {Msg::HelpRaw, "保存未解压的数据", "Save the stored data without inflating it"},
    {Msg::HelpRawCat, "输出未解压的数据", "The stored data, not inflated"},
    {Msg::HelpJson, "输出一个 JSON 对象", "Print one JSON object"},
    {Msg::HelpListKeys, "每行输出一个 KEY", "Print one KEY a line"},
    {Msg::HelpDest, "写入的文件夹", "Folder to write into"},
    {Msg::HelpImportFolder, "按解压导出的结构存放的文件夹", "Folder laid out as an inflated export writes it"},
    {Msg::HelpCreateFolder, "其中的文件成为条目的文件夹", "Folder whose files become the entries"},
    {Msg::HelpDryRun, "只列出将替换的条目", "Only print what would be replaced"},
    {Msg::HelpCheckAll, "忽略导出记录，逐个比较文件内容", "Compare every file by content, ignoring the export record"},
    {Msg::HelpAdd, "把没有对应条目的文件添加为新条目", "Add the files that match no entry as new entries"},
    {Msg::HelpNewKey, "新的 KEY", "The new key"},
    {Msg::VerbList, "列出档案中的条目", "List the entries of an archive"},
    {Msg::VerbExtract, "导出条目（没有 KEY 时导出全部）", "Export entries (all of them when no KEY is given)"},
    {Msg::VerbReplace, "用一个文件替换条目的数据", "Replace an entry's data with a file"},
    {Msg::VerbImport, "把导出文件夹中的文件放回档案，一次改写", "Put the files of an exported folder back, in one rewrite"},
    {Msg::VerbVerify, "检查每个条目和档案的布局", "Check every entry and the archive's layout"},
    {Msg::VerbCreate, "从按解压导出结构存放的文件夹建立新档案", "Build a new archive from a folder laid out as an inflated export"},
    {Msg::VerbAdd, "添加一个条目，放在目录最后", "Add one entry, last in the directory"},
    {Msg::VerbDelete, "删除条目", "Remove entries"},
    {Msg::VerbRename, "更改条目的名称和类型代码", "Give an entry another name and type code"},
    {Msg::VerbCat, "把一个条目的数据写到标准输出", "Write one entry's data to standard output"},
    {Msg::SharedReadArchive, "无法读取档案：", "Cannot read the archive:"},
    {Msg::SharedReadFolder, "无法读取目录：", "Cannot read the folder:"},
    {Msg::SharedReadFile, "无法读取文件：", "Cannot read the file:"},
    {Msg::SharedReadImported, "无法读取导入的文件：", "Cannot read the imported file:"},
    {Msg::SharedReadSource, "无法读取替换文件：", "Cannot read the source file:"},
    {Msg::SharedMakeFolder, "无法创建目录，文件未导出：", "Cannot create the folder, nothing exported:"},
    {Msg::SharedWriteNewArchive, "写入新档案时出错，未留下任何文件：", "Writing the new archive failed, no file left:"},
    {Msg::SharedWriteReplacing, "写入新档案时出错，原档案未作改动：", "Writing the new archive failed, the archive is unchanged:"},
    {Msg::SharedWriteExport, "写入文件时出错，文件未导出：", "Writing the file failed, not exported:"},
    {Msg::SharedReadPrevious, "无法读取上一版本，档案未作改动：", "Cannot read the previous version, the archive is unchanged:"},
    {Msg::SharedUndoFailed, "撤销时出错，档案未作改动：", "Undo failed, the archive is unchanged:"},
    {Msg::SharedReadEntryData, "读取归档中的资源数据时出错，文件未导出：", "Reading the entry's data failed, not exported:"},
    {Msg::SharedNotOpenExport, "档案没有成功打开，无法导出。", "The archive is not open; nothing exported."},
    {Msg::SharedNotOpenEdit, "档案没有成功打开，无法修改。", "The archive is not open; nothing changed."},
    {Msg::SharedNotOpenCheck, "档案没有成功打开，无法检查。", "The archive is not open; nothing checked."},
    {Msg::SharedNotOpenReplace, "档案没有成功打开，无法替换。", "The archive is not open; nothing replaced."},
    {Msg::SharedNotOpenImport, "档案没有成功打开，无法导入。", "The archive is not open; nothing imported."},
    {Msg::SharedStopped, "已停止，档案未作改动。", "Stopped; the archive is unchanged."},
    {Msg::SharedArchiveExists, "档案已存在，不会覆盖：", "The archive exists and is not overwritten:"},
    {Msg::SharedReadOnly, "档案文件是只读的，档案未作改动：", "The archive is read only; it is unchanged:"},
    {Msg::SharedSwapped, "档案文件已被其他程序替换或移走，档案未作改动：", "Another program replaced or moved the archive; it is unchanged:"},
    {Msg::SharedReplaceDone, "替换完成。", "Replaced."},
    {Msg::SharedExportDone, "资源文件导出完成。", "Exported."},
    {Msg::SharedExportAllDone, "全部资源文件导出完成。", "Every entry exported."},
    {Msg::SharedImportStopped, "已停止导入，档案未作改动。", "Import stopped; the archive is unchanged."},
    {Msg::SharedEntryExportFailed, "导出文件时发生错误，KEY：", "Exporting an entry failed, KEY:"},
    {Msg::SharedHasEntry, "档案中已有这个条目，KEY：", "The archive already has this entry, KEY:"},
    {Msg::SharedNoEntry, "档案中没有这个条目，KEY：", "The archive has no entry with this key:"},
    {Msg::SharedBadKey, "KEY 的格式不正确（应为 名称.十六进制类型代码），KEY：", "Not a key (NAME.HEXCODE expected):"},
    {Msg::SharedTwoFiles, "两个文件对应同一个对象，KEY：", "Two files give the same entry, KEY:"},
    {Msg::SharedSameNewName, "两个条目不能改为同一个名称，KEY：", "Two entries cannot take the same name, KEY:"},
    {Msg::SharedTooLarge, "文件太大（必须小于 1,073,741,824 字节）：", "File too large (must be under 1,073,741,824 bytes):"},
    {Msg::TypesInUse, "类型表：{1}", "Type table: {1}"},
    {Msg::TypesBuiltIn, "类型表：无（显示类型代码）", "Type table: none (type codes shown)"},
};
static_assert(sizeof kTable / sizeof kTable[0] == static_cast<std::size_t>(Msg::Count), "one row per message");

constexpr bool RowsInOrder() {
    for (std::size_t i = 0; i < sizeof kTable / sizeof kTable[0]; ++i)
        if (static_cast<std::size_t>(kTable[i].id) != i) return false;
    return true;
}
static_assert(RowsInOrder(), "rows in the order of Msg");

Language language = Language::Chinese;

const char* Set(const char* value) { return value != nullptr && *value != '\0' ? value : nullptr; }

}  // namespace

Language LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    const char* locale = Set(lcAll) ? lcAll : Set(lcMessages) ? lcMessages : Set(lang);
    if (locale == nullptr) return Language::Chinese;
    const bool english = std::strncmp(locale, "en", 2) == 0 && (locale[2] == '\0' || locale[2] == '_' ||
                                                                locale[2] == '.' || locale[2] == '@');
    return english ? Language::English : Language::Chinese;
}

Language LanguageFromEnvironment() {
    return LanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

void SetMessageLanguage(Language chosen) { language = chosen; }
Language MessageLanguage() { return language; }

const MessageText* MessageTable() { return kTable; }

std::string Text(Msg id) {
    const MessageText& row = kTable[static_cast<std::size_t>(id)];
    return language == Language::English ? row.english : row.chinese;
}

std::string Say(Msg id, std::initializer_list<std::string> args) {
    const std::string pattern = Text(id);
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char digit = i + 2 < pattern.size() ? pattern[i + 1] : '\0';
        if (pattern[i] == '{' && digit >= '1' && digit <= '9' && pattern[i + 2] == '}') {
            const std::size_t n = static_cast<std::size_t>(digit - '1');
            if (n < args.size()) out += *(args.begin() + n);
            i += 2;
        } else {
            out.push_back(pattern[i]);
        }
    }
    return out;
}

std::string Translated(const std::string& text) {
    if (language == Language::Chinese) return text;
    static const std::string kLeadEnd = "：";
    const MessageText* lead = nullptr;
    for (const MessageText& row : kTable) {
        if (row.id < Msg::SharedReadArchive) continue;
        const std::string chinese = row.chinese;
        if (text == chinese) return row.english;
        const bool isLead = chinese.size() > kLeadEnd.size() &&
                            chinese.compare(chinese.size() - kLeadEnd.size(), kLeadEnd.size(), kLeadEnd) == 0;
        if (isLead && text.compare(0, chinese.size(), chinese) == 0 &&
            (lead == nullptr || chinese.size() > std::strlen(lead->chinese)))
            lead = &row;
    }
    if (lead == nullptr) return text;
    return std::string(lead->english) + " " + text.substr(std::strlen(lead->chinese));
}

}  // namespace tessarin
