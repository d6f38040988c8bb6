#include "exchange/export_commands.h"

#include "common/local_time.h"
#include "common/safe_file_writer.h"
#include "ui/code_layer_settings.h"
#include "exchange/dxf_code_layers.h"
#include "exchange/text_listing.h"
#include "points/point_store.h"
#include "ui/busy_indicator.h"
#include "ui/qt_text.h"
#include "ui/user_dialogs.h"

namespace korvela {
namespace {

void reportWriteError(QWidget* parent, UserDialogs& dialogs,
                      const std::optional<FileError>& error) {
    if (error) dialogs.showMessage(parent, fromUtf8(error->message()));
}

}  // namespace

const FileDialogRequest& dxfSaveDialog() {
    static const FileDialogRequest request{
        QString(), {QStringLiteral("*.dxf (*.dxf)")}, QStringLiteral("DXF"), QString()};
    return request;
}

const FileDialogRequest& textSaveDialog() {
    static const FileDialogRequest request{QString(), {}, QStringLiteral("TXT"), QString()};
    return request;
}

void exportDxf(QWidget* parent, UserDialogs& dialogs, const FileDialogRequest& saveDialog,
               const TextGrid& grid, const DxfColumns& columns,
               const std::vector<std::uint8_t>& kind, bool onlyFlagged,
               const DxfCodeLayers* codeLayers) {
    const std::optional<QString> path = dialogs.askSavePath(parent, saveDialog);
    if (!path) return;
    BusyIndicator busy(parent, QString::fromUtf8("Экспорт DXF"));
    const std::string localPath = toLocalPath(*path);
    reportWriteError(parent, dialogs, busy.run([&] {
        return writeDxfFile(localPath, grid, columns, kind, onlyFlagged, &busy.progress(),
                            PipeWithoutReader::Refuse, codeLayers);
    }));
}

void ExportProject1Click(QWidget* parent, UserDialogs& dialogs, const TextGrid& table,
                         const PointStore& store) {
    std::optional<DxfCodeLayers> layers;
    if (read(kLayersByCode)) layers = dxfCodeLayers(store.code(), userCodeTable(), dxfOwnLayers());
    exportDxf(parent, dialogs, dxfSaveDialog(), table, kPointTableDxfColumns, store.kind(), true,
              layers ? &*layers : nullptr);
}

void SaveProject1Click(QWidget* parent, UserDialogs& dialogs, const PointStore& store) {
    const std::optional<QString> path = dialogs.askSavePath(parent, textSaveDialog());
    if (!path) return;
    const LocalTime now = currentLocalTime();
    BusyIndicator busy(parent, QString::fromUtf8("Экспорт текста"));
    const std::string localPath = toLocalPath(*path);
    reportWriteError(parent, dialogs, busy.run([&] {
        return writeFileSafely(localPath, [&](std::ostream& out) {
            writeTextListing(store, now, out, &busy.progress());
        });
    }));
}

}  // namespace korvela
