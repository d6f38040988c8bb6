#pragma once

#include <QString>

#include "exchange/code_table.h"
#include "ui/preferences.h"

namespace korvela {

// "Слои по кодам": Export AutoCad puts coded points on their codes' layers.
inline const Preference<bool> kLayersByCode{"dxf/layersByCode", false};

// The plan draws points in their codes' colours from the code table.
inline const Preference<bool> kPlanColoursByCode{"plan/coloursByCode", false};

// The code table file in the user's settings folder.
QString codeTablePath();
// The user's code table; empty when the file is missing or unreadable.
CodeTable userCodeTable();

}  // namespace korvela
