#include "ranking/ranking_scene.h"

void RankingScene::OnKeyDown(HWND, UINT) {}
void RankingScene::OnIdle(HWND) {}
void RankingScene::LoadImages(HWND, IDirectDrawSurface*) {}
void RankingScene::Start(HWND) {}
const char* ScoreFileName(int) { return "tyuu.pod"; }
std::unique_ptr<ScoreTable> RecordResult(int, int, int) { return std::make_unique<ScoreTable>(); }
