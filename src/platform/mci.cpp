// mciSendStringA as a small command language: a verb, a device (type name,
// file or alias), then words and values; double quotes keep blanks inside
// one word. Device types are a registry of factories.
#include <algorithm>
#include <cctype>

#include "base/sjis.h"
#include "platform/audio.h"

namespace piko {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// Devices opened by their file's extension alone.
constexpr struct {
  const char* extension;
  const char* type;
} kTypeByExtension[] = {{".wav", "waveaudio"}, {".mid", "sequencer"}, {".rmi", "sequencer"},
                        {".mp3", "mpegvideo"}, {".mpg", "mpegvideo"}, {".avi", "mpegvideo"}};

// Our own wording for the codes we give (mciGetErrorStringA).
struct ErrorTextRow {
  int code;
  const char* text;
};
const ErrorTextRow kErrorTexts[] = {
    {kMciErrUnrecognizedKeyword, "このコマンドでは使えないキーワードが指定されました。"_sj},
    {kMciErrUnrecognizedCommand, "認識できないコマンドです。"_sj},
    {kMciErrHardware, "デバイスの準備ができていません。ディスクが入っているか確かめてください。"_sj},
    {kMciErrInvalidDeviceName, "指定されたデバイスは開かれていないか、認識できません。"_sj},
    {kMciErrDeviceOpen, "このデバイスは既に開かれています。"_sj},
    {kMciErrCannotLoadDriver, "デバイスドライバを読み込めませんでした。"_sj},
    {kMciErrMissingCommandString, "コマンドがありません。"_sj},
    {kMciErrBadInteger, "数値の指定が正しくありません。"_sj},
    {kMciErrMissingParameter, "コマンドに必要なパラメータがありません。"_sj},
    {kMciErrUnsupportedFunction, "このデバイスはその機能を持っていません。"_sj},
    {kMciErrFileNotFound, "指定されたファイルが見つかりません。"_sj},
    {kMciErrOutOfRange, "パラメータが範囲外です。"_sj},
    {kMciErrBadTimeFormat, "時間の形式の指定が正しくありません。"_sj},
    {kMciErrNoClosingQuote, "引用符が閉じていません。"_sj},
    {kMciErrDuplicateAlias, "その別名は既に使われています。"_sj},
    {kMciErrInvalidFile, "ファイルを再生できません。壊れているか、形式が正しくありません。"_sj},
    {kMciErrExtraCharacters, "コマンドの後に余分な文字があります。"_sj},
    {kMciErrDeviceNotInstalled, "このデバイスは使えません。"_sj},
    {kMciErrMissingDeviceName, "デバイス名が指定されていません。"_sj},
    {kMciErrExtensionNotFound, "ファイルの拡張子からデバイスの種類を決められません。"_sj},
};

}  // namespace

bool MciCommand::Has(std::string_view word) const {
  return std::any_of(args.begin(), args.end(), [&](const std::string& a) { return SameWord(a, word); });
}

std::string MciCommand::ValueOf(std::string_view word) const {
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    if (SameWord(args[i], word)) return args[i + 1];
  }
  return {};
}

int ParseMciCommand(std::string_view text, MciCommand* out) {
  *out = MciCommand{};
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == ' ' || c == '\t') {
      ++i;
      continue;
    }
    std::string word;
    if (c == '"') {
      size_t close = text.find('"', i + 1);
      if (close == std::string_view::npos) return kMciErrNoClosingQuote;
      word.assign(text.substr(i + 1, close - i - 1));
      i = close + 1;
    } else {
      // A two-byte character's second byte is never taken for a blank.
      while (i < text.size() && text[i] != ' ' && text[i] != '\t') {
        unsigned char b = static_cast<unsigned char>(text[i]);
        bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        size_t n = lead && i + 1 < text.size() ? 2 : 1;
        word.append(text.substr(i, n));
        i += n;
      }
    }
    words.push_back(std::move(word));
  }
  if (words.empty()) return kMciErrMissingCommandString;
  out->verb = Lower(words[0]);
  if (words.size() < 2) return kMciErrMissingDeviceName;
  out->device = words[1];
  out->args.assign(words.begin() + 2, words.end());
  return kMciOk;
}

Mci::Mci(AudioSystem& audio) : audio_(audio) {}
Mci::~Mci() = default;

void Mci::RegisterDeviceType(std::string_view type, MciDeviceFactory factory) {
  types_[Lower(type)] = std::move(factory);
}

bool Mci::ErrorText(int code, std::string* text_sjis) {
  for (const ErrorTextRow& row : kErrorTexts) {
    if (row.code == code) {
      *text_sjis = row.text;
      return true;
    }
  }
  text_sjis->clear();
  return false;
}

void Mci::CloseAll() { open_.clear(); }

int Mci::Open(const MciCommand& c) {
  static constexpr const char* kOpenWords[] = {"type", "alias", "shareable", "wait", "notify"};
  for (size_t i = 0; i < c.args.size(); ++i) {
    const std::string& a = c.args[i];
    if (!std::any_of(std::begin(kOpenWords), std::end(kOpenWords), [&](const char* w) { return SameWord(a, w); }))
      return kMciErrUnrecognizedKeyword;
    if (SameWord(a, "type") || SameWord(a, "alias")) {
      if (i + 1 >= c.args.size()) return kMciErrMissingParameter;
      ++i;
    }
  }
  std::string element = c.device;
  std::string type = Lower(c.ValueOf("type"));
  if (type.empty()) {
    if (types_.count(Lower(element))) {
      type = Lower(element);
      element.clear();
    } else {
      std::string lower = Lower(element);
      for (const auto& row : kTypeByExtension) {
        std::string_view ext = row.extension;
        if (lower.size() > ext.size() && lower.compare(lower.size() - ext.size(), ext.size(), ext) == 0)
          type = row.type;
      }
      if (type.empty()) return kMciErrExtensionNotFound;
    }
  }
  auto factory = types_.find(type);
  if (factory == types_.end()) return kMciErrInvalidDeviceName;
  std::string alias = Lower(c.ValueOf("alias"));
  if (alias.empty()) alias = Lower(element.empty() ? type : element);
  for (const Entry& e : open_) {
    if (e.alias == alias) return element.empty() ? kMciErrDeviceOpen : kMciErrDuplicateAlias;
  }
  int error = kMciOk;
  std::unique_ptr<MciDevice> device = factory->second(audio_, element, &error);
  if (!device) return error != kMciOk ? error : kMciErrCannotLoadDriver;
  open_.push_back({alias, std::move(device)});
  return kMciOk;
}

int Mci::SendString(std::string_view command_sjis, std::string* reply) {
  if (reply) reply->clear();
  MciCommand c;
  int error = ParseMciCommand(command_sjis, &c);
  if (error != kMciOk) return error;
  if (c.verb == "open") return Open(c);
  if (c.verb == "close" && SameWord(c.device, "all")) {
    CloseAll();
    return kMciOk;
  }
  std::string alias = Lower(c.device);
  auto it = std::find_if(open_.begin(), open_.end(), [&](const Entry& e) { return e.alias == alias; });
  if (it == open_.end()) return kMciErrInvalidDeviceName;
  if (c.verb == "close") {
    open_.erase(it);  // the device stops its sound as it goes
    return kMciOk;
  }
  std::string answer;
  error = it->device->Command(c, &answer);
  if (reply) *reply = answer;
  return error;
}

}  // namespace piko
