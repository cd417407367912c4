// The high-score screen's texts for the world's table, in Shift-JIS as the
// game draws them: Japanese, and the English that stands in the same place.
// Each fits the band across the top of the screen (64 characters); a text
// followed by a server's English reason is wrapped over the band's two lines.
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
// No ticket could be had; the server and why follow, in English:
// "このゲームは世界の記録に入りません: "
inline constexpr Text kNotRanked = {
    "\x82\xb1\x82\xcc\x83Q\x81[\x83\x80\x82\xcd\x90\xa2\x8a"
    "E\x82\xcc\x8bL\x98^\x82\xc9\x93\xfc\x82\xe8\x82\xdc\x82\xb9\x82\xf1: ",
    "This game is not ranked: "};
// The result is on its way: "世界の記録に送っています..."
inline constexpr Text kSending = {
    "\x90\xa2\x8a"
    "E\x82\xcc\x8bL\x98^\x82\xc9\x91\x97\x82\xc1\x82\xc4\x82\xa2\x82\xdc\x82\xb7...",
    "Sending to the world table..."};

// Taken, but the server did not tell the place: "世界の記録に入りました"
inline constexpr Text kEntered = {
    "\x90\xa2\x8a"
    "E\x82\xcc\x8bL\x98^\x82\xc9\x93\xfc\x82\xe8\x82\xdc\x82\xb5\x82\xbd",
    "Entered in the world table"};
// Neither sent nor kept; the English reason follows: "送信も保存もできませんでした: "
inline constexpr Text kLost = {
    "\x91\x97\x90M\x82\xe0\x95\xdb\x91\xb6\x82\xe0\x82\xc5\x82\xab\x82\xdc\x82\xb9"
    "\x82\xf1\x82\xc5\x82\xb5\x82\xbd: ",
    "Not sent, and not kept: "};
// A result kept from an earlier game, sent again at this start; what became
// of it follows: "前回までのゲーム: "
inline constexpr Text kEarlier = {"\x91O\x89\xf1\x82\xdc\x82\xc5\x82\xcc\x83Q\x81[\x83\x80: ",
                                  "An earlier game: "};
// Several of them; the count, then how many were entered, refused and kept:
// "前回までのゲーム %d件: 登録 %d, 拒否 %d, 未送信 %d"
inline constexpr Text kEarlierMany = {
    "\x91O\x89\xf1\x82\xdc\x82\xc5\x82\xcc\x83Q\x81[\x83\x80 %d\x8c\x8f: \x93o\x98^ %d, "
    "\x8b\x91\x94\xdb %d, \x96\xa2\x91\x97\x90M %d",
    "%d earlier games: %d entered, %d refused, %d kept"};
// An entry's replay came but cannot be shown: "このリプレイは再生できません"
inline constexpr Text kReplayUnreadable = {
    "\x82\xb1\x82\xcc\x83\x8a\x83v\x83\x8c\x83"
    "C\x82\xcd\x8d\xc4\x90\xb6\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1",
    "This replay cannot be shown"};

}  // namespace world_view_text
