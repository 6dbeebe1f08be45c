#pragma once
// Qt's own texts (dialog buttons, the pickers' labels) in Simplified Chinese,
// and sizes and dates in the Chinese way wherever Qt formats them.
class QTranslator;

namespace tessarin {

// Makes QLocale(Chinese, China) the default and installs Qt's zh_CN
// translations from Qt's translations folder, then a small translator of our
// own for the texts that catalogue leaves in English; Qt's translator, or
// nullptr when its translations are not installed (the rest is done either way).
QTranslator* UseChineseLocale();

}  // namespace tessarin
