#include "app/program.h"

#include "app/forms/template_block.h"
#include "app/forms/unit_ids.h"
#include "app/handler_table.h"
#include "app/handlers.h"
#include "app/notebook.h"
#include "runtime/services.h"
#include "ui/unit_numbers.h"

namespace app {

const rt::ProgramHeader& ProgramHeader() {
  static const rt::ProgramHeader header = [] {
    rt::ProgramHeader h;
    std::span<const rt::Handler> handlers = HandlerTable();
    h.code_base = handlers.data();
    h.handler_count = static_cast<std::uint32_t>(handlers.size());
    std::span<const std::uint8_t> templates = forms::TemplateBlock();
    h.template_data = templates.data();
    h.template_data_length = static_cast<std::uint32_t>(templates.size());
    // The new database password is typed into the first-run box and into
    // the change routine's input boxes; the unlock dialog's masked box must
    // be able to type it again.
    static const rt::UnitRef kPasswordBoxes[] = {{ids::kInitWindow, ids::kInitPasswordBox}};
    h.secret_edit_boxes = kPasswordBoxes;
    h.secret_edit_box_count = 1;
    h.secret_input_boxes = true;
    // A left click on the record list unlocks a locked notebook; the
    // window templates stay as the windows were designed, so the binding
    // comes from here.
    static const rt::ExtraBinding kListClicked[] = {
        {{ids::kMainWindow, ids::kRecordList}, ui::event::list::kClicked, kOnListClicked}};
    h.extra_bindings = kListClicked;
    h.extra_binding_count = 1;
    return h;
  }();
  return header;
}

void RunNotebook() { rt::RunProgram(ProgramHeader(), &StartRoutine); }

}  // namespace app
