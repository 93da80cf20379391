#pragma once

#include <string_view>

namespace obitrak {

// Sorts a table by the column whose heading was clicked (a heading calls sortBy(this)),
// numbers by value (cells of class "n" with their value in data-v) and texts as they read;
// a second click on the same heading reverses the order. Pages read the same without it.
inline constexpr std::string_view kTableSortScript =
    "function sortBy(th) {\n"
    "  var table = th.closest('table'), body = table.tBodies[0];\n"
    "  var col = th.cellIndex, up = th.getAttribute('data-up') !== '1';\n"
    "  var num = th.classList.contains('n');\n"
    "  for (var h of th.parentNode.cells) h.removeAttribute('data-up');\n"
    "  if (up) th.setAttribute('data-up', '1');\n"
    "  var rows = Array.from(body.rows);\n"
    "  var key = function (r) { var c = r.cells[col], v = c.getAttribute('data-v');\n"
    "    return num ? (v === null ? -Infinity : Number(v)) : c.textContent; };\n"
    "  rows.sort(function (a, b) { var x = key(a), y = key(b);\n"
    "    var d = num ? (x === y ? 0 : x < y ? -1 : 1) : x.localeCompare(y);\n"
    "    return up ? d : -d; });\n"
    "  for (var r of rows) body.appendChild(r);\n"
    "}\n";

}  // namespace obitrak
