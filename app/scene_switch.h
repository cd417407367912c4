// The program's own switch between the three screens, which only it holds:
// WinMain installs SwitchScene as the game's scene switch (core/scene_switch.h)
// as it starts, and points these at the screens it makes.
#pragma once

class OpeningScene;
class PlayScene;
class RankingScene;

extern OpeningScene* g_openingScene;
extern PlayScene* g_playScene;
extern RankingScene* g_rankingScene;

// Music for the new screen, make it current, Start it, then LoadImages.
// Any number but Opening, Play and Ranking changes nothing.
void SwitchScene(int sceneId);
