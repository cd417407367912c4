#include "app/command_line.h"

#include <getopt.h>

#include "world/world_server.h"

namespace {

constexpr char kProgram[] = "morvex2";

enum LongOnly {
  kDataDir = 1000,
  kWindow,
  kFullscreen,
  kScale,
  kReplay,
  kName,
  kLang,
  kMute,
  kColourAid,
  kServer
};

// GNU getopt gives the usual conventions: --opt=VALUE or --opt VALUE,
// unambiguous abbreviations, and "--" to end the options.
constexpr option kOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {"data-dir", required_argument, nullptr, kDataDir},
    {"window", no_argument, nullptr, kWindow},
    {"fullscreen", no_argument, nullptr, kFullscreen},
    {"scale", required_argument, nullptr, kScale},
    {"replay", required_argument, nullptr, kReplay},
    {"name", required_argument, nullptr, kName},
    {"lang", required_argument, nullptr, kLang},
    {"mute", no_argument, nullptr, kMute},
    {"colour-aid", no_argument, nullptr, kColourAid},
    {"server", required_argument, nullptr, kServer},
    {nullptr, 0, nullptr, 0},
};

std::string ErrorFor(int result, const char* argument) {
  const std::string given = argument != nullptr ? argument : "";
  // A value after '=' is never missing: a C library that says so (MinGW's)
  // means the option takes none.
  const bool valueGiven = given.starts_with("--") && given.find('=') != std::string::npos;
  if (result == ':' && !valueGiven) return "option '" + given + "' requires an argument";
  // A known long option given a value it does not take; optopt is then the
  // option's own code, which for the long-only ones is no character at all.
  if ((optopt != 0 || result == ':') && given.starts_with("--")) {
    return "option '" + given.substr(0, given.find('=')) + "' doesn't allow an argument";
  }
  if (optopt != 0) return std::string("invalid option -- '") + static_cast<char>(optopt) + "'";
  return "unrecognized option '" + given + "'";
}

// Takes one option getopt_long found into `line`; false when the scan ends
// here (help, version or an error).
bool TakeOption(int result, const char* argument, CommandLine* line) {
  switch (result) {
    case 'h':
      line->action = CommandLine::Action::kHelp;
      return false;
    case 'V':
      line->action = CommandLine::Action::kVersion;
      return false;
    case kDataDir:
      line->dataDir = optarg;
      break;
    case kWindow:
      line->fullscreen = false;
      break;
    case kFullscreen:
      line->fullscreen = true;
      break;
    case kScale:
      if (std::string(optarg) == "smooth" || std::string(optarg) == "pixel-exact") {
        line->pixelExact = std::string(optarg) == "pixel-exact";
        break;
      }
      line->action = CommandLine::Action::kError;
      line->error =
          std::string("invalid argument '") + optarg + "' for '--scale' (smooth or pixel-exact)";
      return false;
    case kReplay:
      line->replay = optarg;
      break;
    case kName:
      line->name = optarg;
      break;
    case kLang:
      line->language = platform::LanguageNamed(optarg);
      if (line->language) break;
      line->action = CommandLine::Action::kError;
      line->error = std::string("invalid argument '") + optarg + "' for '--lang' (ja or en)";
      return false;
    case kMute:
      line->mute = true;
      break;
    case kColourAid:
      line->colourAid = true;
      break;
    case kServer:
      line->server = std::string(optarg) == "none" ? std::string() : ServerUrlFrom(optarg);
      if (std::string(optarg) == "none" || !line->server->empty()) break;
      line->action = CommandLine::Action::kError;
      line->error = std::string("invalid argument '") + optarg +
                    "' for '--server' (an http:// or https:// address, or none)";
      return false;
    default:
      line->action = CommandLine::Action::kError;
      line->error = ErrorFor(result, argument);
      return false;
  }
  return true;
}

}  // namespace

CommandLine ParseCommandLine(int argc, char* const argv[]) {
  CommandLine line;
  opterr = 0;  // the messages are ours, one line each
  optind = 0;  // a fresh scan, also when called again (the tests do)
  for (;;) {
    const int result = getopt_long(argc, argv, ":hV", kOptions, nullptr);
    if (result == -1) break;
    if (!TakeOption(result, argv[optind - 1], &line)) return line;
  }
  if (optind < argc) {
    line.action = CommandLine::Action::kError;
    line.error = std::string("unexpected argument '") + argv[optind] + "'";
  } else if (line.name && !line.replay.empty()) {
    // A replay writes nothing, the player's name included.
    line.action = CommandLine::Action::kError;
    line.error = "'--name' cannot be given with '--replay'";
  }
  return line;
}

std::string UsageText() {
  return std::string("Usage: ") + kProgram +
         " [OPTION]...\n"
         "A falling-piece puzzle game with pins and balloons.\n"
         "\n"
         "      --data-dir=DIR   keep the tunes, the clap, the high scores and the\n"
         "                       player's name in DIR (default:\n"
         "                       $XDG_DATA_HOME/morvex2, ~/.local/share/morvex2)\n"
         "      --fullscreen     start on the whole screen (the default)\n"
         "      --window         start in a window\n"
         "      --scale=MODE     smooth (fill the screen, the default) or\n"
         "                       pixel-exact (whole multiples only)\n"
         "      --name=NAME      keep NAME as the player's name in the high-score\n"
         "                       tables (zel.ini in the data folder), then play\n"
         "      --lang=LANG      ja (Japanese) or en (English), kept for the next\n"
         "                       starts (default: from LC_ALL, LC_MESSAGES, LANG)\n"
         "      --mute           start without sound\n"
         "      --colour-aid     mark each colour of the pins and balloons with a\n"
         "                       shape of its own\n"
         "      --server=URL     play ranked games on the world tables of the server\n"
         "                       at URL (http:// or https://), kept for the next\n"
         "                       starts; --server=none plays unranked again\n"
         "      --replay=FILE    show the game recorded in FILE (last.mvr, *-best.mvr\n"
         "                       in the data folder) and check that it comes out\n"
         "                       the same; RETURN pauses, SPACE doubles the speed,\n"
         "                       ESC ends early; it closes 2 s after the end\n"
         "  -h, --help           show this help and end\n"
         "  -V, --version        show the version and end\n"
         "\n"
         "Keys: arrows move and turn, SPACE turns, DOWN drops, RETURN starts and\n"
         "pauses, F1 shows the high scores, ESC goes back or quits,\n"
         "Alt+Enter switches between full screen and a window, Alt+S between\n"
         "the two scales, Alt+M mutes, Alt+Up and Alt+Down (or Alt and + or -)\n"
         "change the volume, Alt+C switches the colour aid. These choices are\n"
         "kept for the next start, and so are --lang and --server; --fullscreen,\n"
         "--window, --scale, --mute and --colour-aid are for their run only.\n"
         "With a server, TAB on the high scores shows the world's table.\n";
}

std::string VersionText() {
  return std::string(kProgram) + " " MORVEX2_VERSION "\n";
}
