// The high-score screen's texts for the world's table, in Shift-JIS as the
// game draws them: Japanese, and the English that stands in the same place.
// Each fits the band across the top of the screen (64 characters).
#pragma once

namespace world_view_text {

struct Text {
  const char* japanese;
  const char* english;
};

// World table heading and keys: "世界の記録  TAB:この機械の記録  ↑↓:選択  RETURN:見る"
inline constexpr Text kWorldHeading = {
    "\x90\xa2\x8a"
    "E\x82\xcc\x8bL\x98^  TAB:\x82\xb1\x82\xcc\x8b@\x8a"
    "B\x82\xcc\x8bL\x98^  \x81\xaa\x81\xab:\x91I\x91\xf0  RETURN:\x8c\xa9\x82\xe9",
    "WORLD TABLE  TAB:this machine  \x81\xaa\x81\xab:choose  RETURN:watch"};
// The table is on its way: "世界の記録を読み込んでいます..."
inline constexpr Text kLoading = {
    "\x90\xa2\x8a"
    "E\x82\xcc\x8bL\x98^\x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xf1\x82\xc5\x82\xa2\x82\xdc\x82\xb7.."
    ".",
    "Reading the world table..."};
// No table could be had: "世界の記録のサーバーに接続できません"
inline constexpr Text kUnreachable = {
    "\x90\xa2\x8a"
    "E\x82\xcc\x8bL\x98^\x82\xcc\x83T\x81[\x83o\x81["
    "\x82\xc9\x90\xda\x91\xb1\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1",
    "The world table's server cannot be reached"};
// A table with no entries yet: "世界の記録はまだありません"
inline constexpr Text kEmpty = {
    "\x90\xa2\x8a"
    "E\x82\xcc\x8bL\x98^\x82\xcd\x82\xdc\x82\xbe\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1",
    "Nobody is in the world table yet"};
// An entry's replay is on its way: "リプレイを読み込んでいます..."
inline constexpr Text kReplayLoading = {
    "\x83\x8a\x83v\x83\x8c\x83"
    "C\x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xf1\x82\xc5\x82\xa2\x82\xdc\x82\xb7...",
    "Fetching the replay..."};
// An entry's replay could not be had: "リプレイを読み込めませんでした"
inline constexpr Text kReplayFailed = {
    "\x83\x8a\x83v\x83\x8c\x83"
    "C\x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd",
    "The replay could not be fetched"};
// After a ranked game: its place; %d is the rank: "世界の記録 %d位"
inline constexpr Text kRanked = {
    "\x90\xa2\x8a"
    "E\x82\xcc\x8bL\x98^ %d\x88\xca",
    "World rank %d"};
// The server refused the game; its English reason follows: "世界の記録に入りません: "
inline constexpr Text kRefused = {
    "\x90\xa2\x8a"
    "E\x82\xcc\x8bL\x98^\x82\xc9\x93\xfc\x82\xe8\x82\xdc\x82\xb9\x82\xf1: ",
    "Not ranked: "};
// The result waits to be sent: "未送信: 次の起動時に送ります"
inline constexpr Text kKept = {
    "\x96\xa2\x91\x97\x90M: "
    "\x8e\x9f\x82\xcc\x8bN\x93\xae\x8e\x9e\x82\xc9\x91\x97\x82\xe8\x82\xdc\x82\xb7",
    "Not sent yet: it is sent again at the next start"};
// No ticket could be had: "このゲームは世界の記録に入りません(接続なし)"
inline constexpr Text kNotRanked = {
    "\x82\xb1\x82\xcc\x83Q\x81[\x83\x80\x82\xcd\x90\xa2\x8a"
    "E\x82\xcc\x8bL\x98^\x82\xc9\x93\xfc\x82\xe8\x82\xdc\x82\xb9\x82\xf1("
    "\x90\xda\x91\xb1\x82\xc8\x82\xb5)",
    "This game is not ranked: no world server"};
// The result is on its way: "世界の記録に送っています..."
inline constexpr Text kSending = {
    "\x90\xa2\x8a"
    "E\x82\xcc\x8bL\x98^\x82\xc9\x91\x97\x82\xc1\x82\xc4\x82\xa2\x82\xdc\x82\xb7...",
    "Sending to the world table..."};

}  // namespace world_view_text
