#include "uia/roles.h"

#include <array>
#include <utility>

namespace winhelper::uia {

std::string_view role_for_control_type(int control_type) {
  static constexpr std::array<std::pair<int, std::string_view>, 29> kRoles{{
      {50000, "button"},     {50002, "checkbox"},   {50003, "comboBox"},  {50004, "edit"},
      {50005, "link"},       {50006, "image"},      {50007, "listItem"},  {50008, "list"},
      {50011, "menuItem"},   {50012, "progressBar"}, {50013, "radio"},    {50014, "scrollBar"},
      {50015, "slider"},     {50017, "statusBar"},  {50018, "tab"},       {50019, "tabItem"},
      {50020, "text"},       {50021, "toolBar"},    {50022, "toolTip"},   {50023, "tree"},
      {50024, "treeItem"},   {50026, "group"},      {50030, "document"},  {50032, "window"},
      {50033, "pane"},       {50034, "header"},     {50035, "headerItem"}, {50036, "table"},
      {50038, "separator"},
  }};
  for (const auto& [id, role] : kRoles) {
    if (id == control_type) return role;
  }
  return "unknown";
}

}  // namespace winhelper::uia
