#include "tools/morvex2_sim/sim_json.h"

#include <cstdint>
#include <cstdio>

namespace sim {
namespace {

// The calls worth printing and how many of their numbers belong in the line;
// anything else the platform records is left out.
struct PrintedCall {
  const char* name;
  std::size_t numbers;
  bool withText;
};

constexpr PrintedCall kPrintedCalls[] = {
    {"SetTimer", 2, false},      {"KillTimer", 1, false},   {"PlaySound", 0, true},
    {"SetLastResult", 2, false}, {"ChangeScene", 1, false}, {"KBGMStop", 0, false},
    {"KBGMPlay", 1, false},
};

const PrintedCall* FindPrinted(const std::string& name) {
  for (const PrintedCall& printed : kPrintedCalls) {
    if (name == printed.name) return &printed;
  }
  return nullptr;
}

// JSON text stays ASCII: quotes, backslashes and every byte outside printable
// ASCII are escaped.
void AppendString(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

void AppendKey(std::string& out, const char* key) {
  out += ',';
  AppendString(out, key);
  out += ':';
}

void AppendMember(std::string& out, const char* key, std::int64_t value) {
  AppendKey(out, key);
  out += std::to_string(value);
}

void AppendCall(std::string& out, const platform::RecordedCall& call, const PrintedCall& how) {
  out += '[';
  AppendString(out, call.name);
  for (std::size_t i = 0; i < how.numbers && i < call.args.size(); ++i) {
    out += ',';
    out += std::to_string(call.args[i]);
  }
  if (how.withText) {
    out += ',';
    AppendString(out, call.text);
  }
  out += ']';
}

void AppendCalls(std::string& out, const std::vector<platform::RecordedCall>& calls) {
  AppendKey(out, "calls");
  out += '[';
  bool first = true;
  for (const platform::RecordedCall& call : calls) {
    const PrintedCall* how = FindPrinted(call.name);
    if (how == nullptr) continue;
    if (!first) out += ',';
    first = false;
    AppendCall(out, call, *how);
  }
  out += ']';
}

void AppendPieceAndNext(std::string& out, const PlayScene& scene) {
  AppendKey(out, "piece");
  out += '[';
  for (std::size_t i = 0; i < scene.piece.size(); ++i) {
    if (i > 0) out += ',';
    out += '[' + std::to_string(scene.piece[i].column) + ',' + std::to_string(scene.piece[i].row) +
           ']';
  }
  out += ']';
  AppendKey(out, "next");
  out += '[';
  for (std::size_t i = 0; i < scene.next.size(); ++i) {
    if (i > 0) out += ',';
    out += std::to_string(scene.next[i].kind);
  }
  out += ']';
}

// Field order: column by column, each from row 0 down.
void AppendCells(std::string& out, const PlayScene& scene) {
  AppendKey(out, "cells");
  out += '[';
  for (std::size_t i = 0; i < scene.field.size(); ++i) {
    const Cell& cell = scene.field[i];
    if (i > 0) out += ',';
    out += '[' + std::to_string(cell.kind) + ',' + std::to_string(cell.rise) + ',' +
           std::to_string(cell.skip) + ',' + std::to_string(cell.popMark) + ',' +
           std::to_string(cell.launched) + ']';
  }
  out += ']';
}

}  // namespace

std::string StateLine(std::string_view event, const PlayScene& scene,
                      const std::vector<platform::RecordedCall>& calls) {
  std::string out = "{\"event\":";
  AppendString(out, event);
  AppendMember(out, "phase", static_cast<std::int32_t>(scene.phase));
  AppendMember(out, "interval", scene.interval);
  AppendMember(out, "seedCounter", scene.seedCounter);
  AppendMember(out, "spawnPending", static_cast<std::int32_t>(scene.spawnPending));
  AppendMember(out, "paused", static_cast<std::int32_t>(scene.paused));
  AppendMember(out, "pieceActive", scene.pieceActive);
  AppendMember(out, "score", scene.score);
  AppendMember(out, "removedCount", scene.removedCount);
  AppendMember(out, "chainPoints", scene.chainPoints);
  AppendMember(out, "pieceCount", scene.pieceCount);
  AppendMember(out, "speedUpCount", scene.speedUpCount);
  AppendMember(out, "fastDrop", scene.fastDrop);
  AppendMember(out, "fieldSettled", g_fieldSettled);
  AppendMember(out, "resolveBusy", g_resolveBusy);
  AppendPieceAndNext(out, scene);
  AppendCalls(out, calls);
  AppendCells(out, scene);
  out += "}\n";
  return out;
}

}  // namespace sim
