// "＃ムービー" and the movie's turn of the Frame tick.
#include <string>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "platform/files.h"
#include "script/args.h"
#include "shell/game.h"
#include "movie/movie_commands.h"

namespace piko {

namespace {

constexpr std::string_view kFatalCaption = "FATAL ERROR";

struct OpenStepText {
  MovieOpenStep step;
  std::string_view text;
};

// What the player says when a step of opening a movie fails.
constexpr OpenStepText kOpenStepTexts[] = {
    {MovieOpenStep::kCreateStream, "IAMMultimediaインターフェイスを取得できませんでした！"_sjv},
    {MovieOpenStep::kSetUpReading, "ストリームを読み取り用にセットアップできませんでした！"_sjv},
    {MovieOpenStep::kAddVideo, "プライマリビデオストリームを追加できませんでした！"_sjv},
    {MovieOpenStep::kAddSound, "デフォルトサウンドレンダラを追加できませんでした！"_sjv},
    {MovieOpenStep::kOpenFile, "ファイルを開けませんでした！"_sjv},
    {MovieOpenStep::kGetVideoStream, "プライマリビデオストリームインターフェイスを取得できませんでした！"_sjv},
    {MovieOpenStep::kQueryVideo, "DirectDrawメディアストリームインターフェイスを取得できませんでした！"_sjv},
    {MovieOpenStep::kCreateSample, "ストリームサンプルを作成できませんでした！"_sjv},
    {MovieOpenStep::kGetSampleRect,
     "ストリームサンプルからIDirectDrawSurfaceインターフェイスを取得できませんでした！"_sjv},
    {MovieOpenStep::kQueryBlitSurface, "IDirectDrawSurface4インターフェイスを取得できませんでした！"_sjv},
};

void FatalBox(Game& g, std::string_view text) {
  g.platform->dialogs().ShowMessageBox(text, kFatalCaption, MessageBoxKind::kOk);
}

int OpenShow(Game& g, CDShow& show, std::string_view name) {
  MovieOpenStep step = show.player->Open(ResolveGamePath(name));
  if (step != MovieOpenStep::kOpened) {
    for (const OpenStepText& t : kOpenStepTexts) {
      if (t.step == step) FatalBox(g, t.text);
    }
    return 0;
  }
  show.sample_rect = show.player->SampleRect();
  show.open = 1;
  return 1;
}

void PlayShow(Game& g, CDShow& show) {
  if (!show.open) return;
  show.player->Play(g.platform->clock().GetTickCount());
  show.playing = 1;
}

int UpdateAndDraw(Game& g, CDShow& show, Surface& target, const MovieRect& rect) {
  if (!show.open) return 0;
  if (show.player->Update(g.platform->clock().GetTickCount(), &target, rect) != MovieUpdate::kPlaying) show.playing = 0;
  return 1;
}

void StopShow(CDShow& show) {
  if (show.player) show.player->Stop();
  show.playing = 0;
}

void CloseShow(CDShow& show) {
  if (!show.open) return;
  show.player.reset();
  show.open = 0;
  show.playing = 0;
}

}  // namespace

void PlayMovie(Game& g) {
  ScriptState& s = g.script;
  Args args(g);
  if (args.Has("のパス"_sjv)) {
    CopyText(g.movie.movie_path, args.Next());
    return;
  }
  std::string file = args.Next();
  std::string name = std::string(TextOf(g.movie.movie_path)) + std::string(file) + std::string(TextOf(s.ext_movie));
  if (ProbeFile(name) != PathKind::kFile) {
    ReportScriptError(g, "ムービーのファイル名が違います"_sjv, file);
    return;
  }
  StopMovie(g);
  auto show = std::make_unique<CDShow>();
  show->player = g.platform->CreateMoviePlayer();
  if (!show->player) {
    FatalBox(g, "CDShowオブジェクトの作成中にメモリ不足になりました！\nシステムを再起動してやり直してください。"_sjv);
    return;
  }
  if (!OpenShow(g, *show, name)) return;
  PlayShow(g, *show);
  g.movie.show = std::move(show);
  g.shell.waits[Wait::kMovie] = true;
}

int DrawMovieFrame(Game& g) {
  CDShow* show = g.movie.show.get();
  if (!show) return 1;
  UpdateAndDraw(g, *show, g.gfx.back_buffer, MovieRect{0, 0, kScreenWidth, kScreenHeight});
  return show->playing ? 0 : 1;
}

void StopMovie(Game& g) {
  if (!g.movie.show) return;
  StopShow(*g.movie.show);
  CloseShow(*g.movie.show);
  g.movie.show.reset();
}

}  // namespace piko
