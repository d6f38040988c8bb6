#pragma once

#include <cstdint>
#include <vector>

#include "exchange/dxf_writer.h"

class QWidget;

namespace korvela {

class PointStore;
class TextGrid;
class UserDialogs;
struct FileDialogRequest;

// `SaveDialog1` of the main window and of TForm5: default extension "DXF", filter "*.dxf".
const FileDialogRequest& dxfSaveDialog();
// `SaveDialog2` of the main window: default extension "TXT", no filter.
const FileDialogRequest& textSaveDialog();

// The DXF export with the caller's save dialog: asks for the file (cancel: nothing
// happens), reads the grid, writes the file. A cell that is not a number throws
// ConversionError for the general error handler, before any file is touched; a file that
// cannot be written is reported in a message.
void exportDxf(QWidget* parent, UserDialogs& dialogs, const FileDialogRequest& saveDialog,
               const TextGrid& grid, const DxfColumns& columns,
               const std::vector<std::uint8_t>& kind, bool onlyFlagged,
               const DxfCodeLayers* codeLayers = nullptr);

// File ▸ Export Project ▸ "Export AutoCad": the ordinary points of the point table, on their
// codes' layers when "Слои по кодам" is set (the user's code table).
void ExportProject1Click(QWidget* parent, UserDialogs& dialogs, const TextGrid& table,
                         const PointStore& store);

// File ▸ Export Project ▸ "Export txt": the text listing of the ordinary points, dated now.
void SaveProject1Click(QWidget* parent, UserDialogs& dialogs, const PointStore& store);

}  // namespace korvela
