#include "ui/code_layer_settings.h"

#include "ui/qt_text.h"

namespace korvela {

QString codeTablePath() { return settingsFilePath(QStringLiteral("codes.csv")); }

CodeTable userCodeTable() {
    CodeTable table;
    if (readCodeTableFile(toLocalPath(codeTablePath()), table)) return CodeTable();
    return table;
}

}  // namespace korvela
