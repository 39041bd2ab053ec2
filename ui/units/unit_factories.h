// CreateUnit entries of the unit types.
#pragma once

#include <memory>

#include "ui/unit.h"

namespace ui {

std::unique_ptr<Unit> CreateWindowUnit(const UnitTypeInfo& type, const CreateContext& context);
std::unique_ptr<Unit> CreateEditBox(const UnitTypeInfo& type, const CreateContext& context);
std::unique_ptr<Unit> CreateLabel(const UnitTypeInfo& type, const CreateContext& context);
std::unique_ptr<Unit> CreateButton(const UnitTypeInfo& type, const CreateContext& context);
std::unique_ptr<Unit> CreateListView(const UnitTypeInfo& type, const CreateContext& context);

}  // namespace ui
