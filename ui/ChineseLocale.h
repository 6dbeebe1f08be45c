#pragma once
// Qt's own texts (dialog buttons, the pickers' labels) in Simplified Chinese,
// and sizes and dates in the Chinese way wherever Qt formats them.
class QTranslator;

namespace tessarin {

// Makes QLocale(Chinese, China) the default and installs Qt's zh_CN
// translations from Qt's translations folder; the translator, or nullptr when
// the translations are not installed (the locale is set either way).
QTranslator* UseChineseLocale();

}  // namespace tessarin
