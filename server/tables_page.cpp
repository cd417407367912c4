#include "server/tables_page.h"

#include <array>
#include <vector>

#include "server/table_reads.h"

namespace server {

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

namespace {

// The levels as the game numbers them: 0 advanced, 1 middle, 2 beginner.
constexpr std::array<const char*, 3> kLevelNames = {"Advanced", "Middle", "Beginner"};

void AppendTable(std::string& page, int level, const std::vector<TableRow>& rows) {
  page += "<h2>";
  page += kLevelNames[static_cast<std::size_t>(level)];
  page +=
      "</h2>\n<table>\n<tr><th>Rank</th><th>Name</th><th>Score</th><th>Removed</th>"
      "<th>Date (UTC)</th><th>Replay</th></tr>\n";
  for (const TableRow& row : rows) {
    const std::string id = std::to_string(row.entryId);
    page.append("<tr><td>").append(std::to_string(row.rank)).append("</td><td>");
    page.append(EscapeHtml(NameInUtf8(row.name))).append("</td><td>");
    page.append(std::to_string(row.score)).append("</td><td>");
    page.append(std::to_string(row.removedCount)).append("</td><td>");
    page.append(IsoDate(row.dateMs)).append("</td><td><a href=\"/?watch=").append(id);
    page.append("\">watch</a> <a href=\"/api/v1/entries/").append(id);
    page.append("/replay\">.mvr</a></td></tr>\n");
  }
  if (rows.empty()) page += "<tr><td colspan=\"6\">No entries yet.</td></tr>\n";
  page += "</table>\n";
}

}  // namespace

Answer TablesPage(Store& store) {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>Morvex2 world tables</title>\n"
      "<style>body{font-family:sans-serif;margin:1em}table{border-collapse:collapse;"
      "margin-bottom:2em}td,th{border:1px solid #999;padding:.2em .6em;text-align:right}"
      "td:nth-child(2){text-align:left}</style>\n</head>\n<body>\n"
      "<h1>Morvex2 world tables</h1>\n"
      "<p>Every entry was played back by this server before it was entered. "
      "<a href=\"/\">Play</a></p>\n";
  for (int level = 0; level < static_cast<int>(kLevelNames.size()); ++level) {
    std::vector<TableRow> rows;
    if (store.Table(level, kTableLength, &rows) != StoreResult::kOk) return StoreUnavailable();
    AppendTable(page, level, rows);
  }
  page += "</body>\n</html>\n";
  return PlainAnswer(200, std::move(page), "text/html; charset=utf-8");
}

}  // namespace server
