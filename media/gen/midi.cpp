#include "midi.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <map>
#include <stdexcept>

namespace mediagen {

namespace {

int pitch_class(char letter) {
  static const int pcs[] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
  return pcs[std::tolower(static_cast<unsigned char>(letter)) - 'a'];
}

// The key of pitch class `pc` nearest to `near`; a tritone away goes up.
int nearest(int pc, int near) {
  int k = near + ((pc - near) % 12 + 12) % 12;
  if (k - near > 6) k -= 12;
  return k;
}

struct Chord {
  int root = 0, bass = -1;  // pitch classes; bass -1: the root
  std::vector<int> steps;   // semitones above the root
};

Chord parse_chord(const std::string& name) {
  Chord c;
  std::size_t i = 0;
  auto pc = [&]() {
    if (i >= name.size() || name[i] < 'A' || name[i] > 'G') throw std::runtime_error("bad chord " + name);
    int p = pitch_class(name[i++]);
    if (i < name.size() && name[i] == '#') ++p, ++i;
    else if (i < name.size() && name[i] == 'b') --p, ++i;
    return (p + 12) % 12;
  };
  c.root = pc();
  std::size_t colon = name.find(':', i);
  std::string q = name.substr(i, colon == std::string::npos ? std::string::npos : colon - i);
  static const std::map<std::string, std::vector<int>> qualities = {
      {"", {0, 4, 7}},
      {"m", {0, 3, 7}},
      {"7", {0, 4, 7, 10}},
      {"m7", {0, 3, 7, 10}},
      {"maj7", {0, 4, 7, 11}},
      {"dim", {0, 3, 6}},
      {"dim7", {0, 3, 6, 9}},
      {"aug", {0, 4, 8}},
      {"sus4", {0, 5, 7}},
      {"sus2", {0, 2, 7}},
      {"m6", {0, 3, 7, 9}},
      {"5", {0, 7}},
      {"7b9", {0, 4, 7, 10, 13}},
      {"m7b5", {0, 3, 6, 10}},
      {"mmaj7", {0, 3, 7, 11}},
      {"6", {0, 4, 7, 9}},
  };
  auto it = qualities.find(q);
  if (it == qualities.end()) throw std::runtime_error("unknown chord quality in " + name);
  c.steps = it->second;
  if (colon != std::string::npos) {
    i = colon + 1;
    c.bass = pc();
  }
  return c;
}

int dynamic_velocity(const std::string& d) {
  static const std::map<std::string, int> v = {{"ppp", 24}, {"pp", 36}, {"p", 50},   {"mp", 64},
                                               {"mf", 78},  {"f", 94},  {"ff", 108}, {"fff", 120}};
  auto it = v.find(d);
  if (it == v.end()) throw std::runtime_error("unknown dynamic !" + d);
  return it->second;
}

// One parsed token of a voice or a harmony line.
struct Token {
  enum Kind { Pitch, Group, Rest, Bar, Dynamic, Hairpin } kind;
  std::vector<std::string> pitches;  // the note or chord names as written
  int dur = 0;                       // 0: as before
  bool tie = false, staccato = false, tenuto = false, accent = false;
  std::string dynamic;
  int hairpin = 0;
};

int parse_duration(const std::string& s, std::size_t& i, const std::string& text) {
  std::size_t start = i;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
  if (start == i) throw std::runtime_error("missing duration in '" + text + "'");
  int d = std::stoi(s.substr(start, i - start));
  if (d != 1 && d != 2 && d != 4 && d != 8 && d != 16 && d != 32) throw std::runtime_error("bad duration in " + text);
  int ticks = kPpq * 4 / d, add = ticks;
  while (i < s.size() && s[i] == '.') {
    add /= 2;
    ticks += add;
    ++i;
  }
  if (i < s.size() && s[i] == 't') {
    ticks = ticks * 2 / 3;
    ++i;
  }
  return ticks;
}

std::vector<Token> tokenize(const std::string& text) {
  std::vector<Token> out;
  std::size_t i = 0;
  auto suffixes = [&](Token& t, const std::string& s, std::size_t j) {
    if (j < s.size() && s[j] == '/') {
      ++j;
      t.dur = parse_duration(s, j, text);
    }
    for (; j < s.size(); ++j) {
      switch (s[j]) {
        case '~': t.tie = true; break;
        case '\'': t.staccato = true; break;
        case '-': t.tenuto = true; break;
        case '^': t.accent = true; break;
        default: throw std::runtime_error("stray '" + std::string(1, s[j]) + "' in '" + s + "'");
      }
    }
  };
  while (i < text.size()) {
    if (std::isspace(static_cast<unsigned char>(text[i]))) {
      ++i;
      continue;
    }
    Token t{};
    if (text[i] == '<') {
      std::size_t close = text.find('>', i);
      if (close == std::string::npos) throw std::runtime_error("unclosed chord in " + text);
      std::string inner = text.substr(i + 1, close - i - 1);
      std::size_t k = 0;
      while (k < inner.size()) {
        while (k < inner.size() && std::isspace(static_cast<unsigned char>(inner[k]))) ++k;
        std::size_t e = k;
        while (e < inner.size() && !std::isspace(static_cast<unsigned char>(inner[e]))) ++e;
        if (e > k) t.pitches.push_back(inner.substr(k, e - k));
        k = e;
      }
      t.kind = Token::Group;
      i = close + 1;
      std::size_t e = i;
      while (e < text.size() && !std::isspace(static_cast<unsigned char>(text[e])) && text[e] != '|') ++e;
      suffixes(t, text.substr(i, e - i), 0);
      i = e;
      out.push_back(t);
      continue;
    }
    // A bar line stands on its own even where lines were joined without a blank.
    std::size_t e = i + 1;
    if (text[i] != '|')
      while (e < text.size() && !std::isspace(static_cast<unsigned char>(text[e])) && text[e] != '|') ++e;
    std::string w = text.substr(i, e - i);
    i = e;
    if (w == "|") {
      t.kind = Token::Bar;
    } else if (w[0] == '!') {
      if (w == "!<" || w == "!>") {
        t.kind = Token::Hairpin;
        t.hairpin = w == "!<" ? 1 : -1;
      } else {
        t.kind = Token::Dynamic;
        t.dynamic = w.substr(1);
        dynamic_velocity(t.dynamic);
      }
    } else {
      std::size_t slash = w.find_first_of("/~'^");
      // A tenuto dash may follow a pitch directly; a pitch never holds one.
      std::size_t dash = w.find('-');
      if (dash != std::string::npos && dash < slash) slash = dash;
      std::string head = w.substr(0, slash);
      t.kind = head == "r" ? Token::Rest : Token::Pitch;
      if (t.kind == Token::Pitch) t.pitches.push_back(head);
      suffixes(t, w, slash == std::string::npos ? w.size() : slash);
    }
    out.push_back(t);
  }
  return out;
}

// A note name such as eb4, f#, c: its key, relative to `last` when the
// octave is left out.
int note_key(const std::string& name, int last) {
  std::size_t i = 0;
  if (name.empty() || name[0] < 'a' || name[0] > 'g') throw std::runtime_error("bad note '" + name + "'");
  int pc = pitch_class(name[i++]);
  if (i < name.size() && name[i] == '#') ++pc, ++i;
  else if (i < name.size() && name[i] == 'b') --pc, ++i;
  if (i == name.size()) return nearest((pc + 12) % 12, last);
  std::size_t used = 0;
  int octave = std::stoi(name.substr(i), &used);
  if (i + used != name.size()) throw std::runtime_error("bad note '" + name + "'");
  return (octave + 1) * 12 + pc;
}

// Velocities between a hairpin and the next dynamic glide from one to the other.
struct Dynamics {
  int vel = 78;
  std::size_t hairpinFrom = 0;
  int hairpinVel = -1;
};

}  // namespace

Voice& Song::voice(const std::string& name, int channel, int program) {
  Voice v;
  v.name = name;
  v.channel = channel;
  v.program = program;
  v.barTicks = bar_ticks();
  voices.push_back(v);
  return voices.back();
}

Voice& Voice::add(const std::string& text, int transpose) {
  int last = refKey, pinFrom = -1;
  bool tie = false;
  auto close_hairpin = [&](int target) {
    if (pinFrom < 0) return;
    int from = notes[std::size_t(pinFrom)].vel, n = int(notes.size()) - pinFrom;
    for (int k = 0; k < n; ++k) notes[std::size_t(pinFrom + k)].vel = from + (target - from) * k / std::max(1, n);
    pinFrom = -1;
  };
  for (const Token& t : tokenize(text)) {
    if (t.dur) dur = t.dur;
    switch (t.kind) {
      case Token::Bar:
        if (cursor % barTicks != 0)
          throw std::runtime_error(name + ": bar line " + std::to_string(cursor % barTicks) +
                                   " ticks into a bar, near '" + text.substr(0, 60) + "'");
        break;
      case Token::Dynamic:
        close_hairpin(dynamic_velocity(t.dynamic));
        vel = dynamic_velocity(t.dynamic);
        break;
      case Token::Hairpin: pinFrom = int(notes.size()); break;
      case Token::Rest:
        cursor += dur;
        tie = false;
        break;
      case Token::Pitch:
      case Token::Group: {
        bool tiedOn = false;
        int ref = last;
        for (std::size_t k = 0; k < t.pitches.size(); ++k) {
          int key = note_key(t.pitches[k], ref);
          ref = key;
          if (k == 0) last = key;
          int sounding = key + transpose + octaveShift;
          if (tie) {
            // Lengthen the note this one is tied from.
            for (auto it = notes.rbegin(); it != notes.rend(); ++it)
              if (it->key == sounding && it->tick + it->len >= cursor - dur) {
                it->len = cursor + dur - it->tick;
                tiedOn = true;
                break;
              }
            if (tiedOn) continue;
          }
          double g = t.staccato ? 0.45 : (t.tenuto || t.tie) ? 1.0 : gate;
          int v = std::clamp(vel + (t.accent ? 16 : 0), 1, 127);
          notes.push_back({cursor, std::max(1, int(dur * g)), sounding, v});
        }
        cursor += dur;
        tie = t.tie;
        break;
      }
    }
  }
  close_hairpin(vel);
  refKey = last;
  return *this;
}

Voice& Voice::chords(const std::string& harmony, const std::string& pattern, int rootNear, int transpose) {
  struct Step {
    std::string tone;
    int dur;
    bool staccato, accent;
  };
  std::vector<Step> steps;
  int pdur = kPpq;
  for (const Token& t : tokenize(pattern)) {
    if (t.dur) pdur = t.dur;
    if (t.kind == Token::Pitch) steps.push_back({t.pitches[0], pdur, t.staccato, t.accent});
    else if (t.kind == Token::Rest) steps.push_back({"r", pdur, false, false});
    else throw std::runtime_error("pattern holds only chord tones and rests: " + pattern);
  }
  int hdur = kPpq, hvel = vel;
  for (const Token& t : tokenize(harmony)) {
    if (t.dur) hdur = t.dur;
    if (t.kind == Token::Bar) {
      if (cursor % barTicks != 0) throw std::runtime_error(name + ": harmony bar line off, in " + harmony);
      continue;
    }
    if (t.kind == Token::Dynamic) {
      hvel = dynamic_velocity(t.dynamic);
      continue;
    }
    if (t.kind == Token::Rest) {
      cursor += hdur;
      continue;
    }
    if (t.kind != Token::Pitch) throw std::runtime_error("harmony holds chords, rests, bars and dynamics");
    Chord c = parse_chord(t.pitches[0]);
    int root = nearest(c.root, rootNear);
    int bass = c.bass < 0 ? root : nearest(c.bass, rootNear);
    auto tone = [&](int i) { return root + (i < int(c.steps.size()) ? c.steps[std::size_t(i)] : 12); };
    int end = cursor + hdur;
    for (std::size_t s = 0; cursor < end; s = (s + 1) % steps.size()) {
      const Step& st = steps[s];
      int len = std::min(st.dur, end - cursor);
      std::vector<int> keys;
      const std::string& d = st.tone;
      if (d == "r") {
      } else if (d == "c") {
        for (int step : c.steps) keys.push_back(nearest((c.root + step) % 12, rootNear + 16));
      } else if (d == "0") keys.push_back(bass - 12);
      else if (d == "1") keys.push_back(bass);
      else if (d == "3") keys.push_back(tone(1));
      else if (d == "5") keys.push_back(tone(2));
      else if (d == "7") keys.push_back(tone(3));
      else if (d == "8") keys.push_back(root + 12);
      else if (d == "10") keys.push_back(tone(1) + 12);
      else if (d == "12") keys.push_back(tone(2) + 12);
      else throw std::runtime_error("unknown chord tone " + d);
      std::sort(keys.begin(), keys.end());
      keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
      double g = st.staccato ? 0.45 : gate;
      for (int k : keys)
        notes.push_back({cursor, std::max(1, int(len * g)), k + transpose + octaveShift,
                         std::clamp(hvel + (st.accent ? 14 : 0), 1, 127)});
      cursor += len;
    }
  }
  return *this;
}

namespace {

struct Event {
  int tick, order;
  std::vector<unsigned char> bytes;
};

void put_var(std::vector<unsigned char>& out, std::uint32_t v) {
  unsigned char buf[5];
  int n = 0;
  buf[n++] = v & 0x7F;
  while (v >>= 7) buf[n++] = 0x80 | (v & 0x7F);
  while (n) out.push_back(buf[--n]);
}

void put_be(std::vector<unsigned char>& out, std::uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back((v >> (8 * i)) & 255);
}

std::vector<unsigned char> track(std::vector<Event> events, int endTick) {
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });
  std::vector<unsigned char> body;
  int now = 0;
  for (const Event& e : events) {
    put_var(body, std::uint32_t(e.tick - now));
    now = e.tick;
    body.insert(body.end(), e.bytes.begin(), e.bytes.end());
  }
  put_var(body, std::uint32_t(std::max(0, endTick - now)));
  body.insert(body.end(), {0xFF, 0x2F, 0x00});
  std::vector<unsigned char> out = {'M', 'T', 'r', 'k'};
  put_be(out, std::uint32_t(body.size()), 4);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

Event meta(int tick, unsigned char type, const std::vector<unsigned char>& data) {
  Event e{tick, 0, {0xFF, type}};
  put_var(e.bytes, std::uint32_t(data.size()));
  e.bytes.insert(e.bytes.end(), data.begin(), data.end());
  return e;
}

Event tempo_event(int tick, double bpm) {
  std::uint32_t us = std::uint32_t(std::lround(60000000.0 / bpm));
  return meta(tick, 0x51, {std::uint8_t(us >> 16), std::uint8_t(us >> 8), std::uint8_t(us)});
}

Event text_event(int tick, unsigned char type, const std::string& s) {
  return meta(tick, type, std::vector<unsigned char>(s.begin(), s.end()));
}

// A small, repeatable unevenness, so that repeated notes do not all strike alike.
int nuance(int tick, int key) {
  std::uint32_t h = std::uint32_t(tick) * 2654435761u ^ std::uint32_t(key) * 40503u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return int(h % 5) - 2;
}

}  // namespace

std::vector<unsigned char> smf_bytes(const Song& song) {
  // The lead-in runs at 120 beats a minute, the sequencer's default, so
  // that its milliseconds come to the same ticks however a player converts
  // them; the first notes come one tick after the point the dialog starts at.
  int lead = song.leadMs > 0 ? int(std::ceil(song.leadMs * kPpq / 500.0)) + 1 : 0;
  int bar = song.bar_ticks();
  int end = 0;
  for (const Voice& v : song.voices)
    for (const Note& n : v.notes) end = std::max(end, n.tick + n.len);
  end += lead + kPpq / 2;

  std::vector<Event> conductor;
  conductor.push_back(text_event(0, 0x03, song.title));
  int den = 0;
  while ((1 << den) < song.den) ++den;
  conductor.push_back(meta(0, 0x58, {std::uint8_t(song.num), std::uint8_t(den), 24, 8}));
  if (lead) conductor.push_back(tempo_event(0, 120));
  for (std::size_t i = 0; i < song.tempo.size(); ++i) {
    const TempoPoint& p = song.tempo[i];
    int tick = lead + int(p.beat * kPpq + 0.5);
    if (p.ramp && i > 0) {
      const TempoPoint& q = song.tempo[i - 1];
      int from = lead + int(q.beat * kPpq + 0.5);
      for (int t = from + kPpq / 4; t < tick; t += kPpq / 4)
        conductor.push_back(tempo_event(t, q.bpm + (p.bpm - q.bpm) * double(t - from) / (tick - from)));
    }
    conductor.push_back(tempo_event(tick, p.bpm));
  }

  std::vector<unsigned char> out = {'M', 'T', 'h', 'd'};
  put_be(out, 6, 4);
  put_be(out, 1, 2);
  put_be(out, std::uint32_t(song.voices.size() + 1), 2);
  put_be(out, kPpq, 2);
  auto t0 = track(conductor, end);
  out.insert(out.end(), t0.begin(), t0.end());

  for (const Voice& v : song.voices) {
    std::vector<Event> ev;
    auto ch = std::uint8_t(v.channel);
    auto cc = [&](int tick, int n, int value) {
      ev.push_back({tick, 2, {std::uint8_t(0xB0 | ch), std::uint8_t(n), std::uint8_t(std::clamp(value, 0, 127))}});
    };
    ev.push_back(text_event(0, 0x03, v.name));
    ev.push_back({0, 1, {std::uint8_t(0xC0 | ch), std::uint8_t(v.program)}});
    // Volume and velocity both act as 40 log10(value / 127) dB.
    double factor = std::pow(10.0, song.levelDb / 40);
    int volume = std::clamp(int(std::lround(v.volume * factor)), 1, 127);
    double velocityFactor = factor * v.volume / volume;
    cc(0, 7, volume);
    cc(0, 10, v.pan);
    cc(0, 91, v.reverb);
    cc(0, 93, v.chorus);
    cc(0, 11, v.expression.empty() ? 127 : v.expression.front().second);
    for (std::size_t i = 1; i < v.expression.size(); ++i) {
      auto [b0, e0] = v.expression[i - 1];
      auto [b1, e1] = v.expression[i];
      int t0 = lead + int(b0 * kPpq + 0.5), t1 = lead + int(b1 * kPpq + 0.5), lastValue = e0;
      for (int t = t0 + kPpq / 8; t <= t1; t += kPpq / 8) {
        int value = int(std::lround(e0 + (e1 - e0) * double(t - t0) / std::max(1, t1 - t0)));
        if (value != lastValue) cc(t, 11, value);
        lastValue = value;
      }
      if (lastValue != e1) cc(t1, 11, e1);
    }
    for (auto [beat, down] : v.pedal) cc(lead + int(beat * kPpq + 0.5), 64, down ? 127 : 0);
    // A note struck again before it ended is cut where it is struck anew.
    std::vector<Note> notes = v.notes;
    std::stable_sort(notes.begin(), notes.end(), [](const Note& a, const Note& b) { return a.tick < b.tick; });
    std::map<int, std::size_t> sounding;
    for (std::size_t i = 0; i < notes.size(); ++i) {
      auto it = sounding.find(notes[i].key);
      if (it != sounding.end()) {
        Note& prev = notes[it->second];
        if (prev.tick + prev.len > notes[i].tick) prev.len = std::max(1, notes[i].tick - prev.tick);
      }
      sounding[notes[i].key] = i;
    }
    for (const Note& n : notes) {
      int t = lead + n.tick;
      int metric = (n.tick % bar == 0) ? 5 : (n.tick % kPpq == 0) ? 1 : -2;
      int vel = std::clamp(int(std::lround((n.vel + metric + nuance(n.tick, n.key)) * velocityFactor)), 1, 127);
      ev.push_back({t, 4, {std::uint8_t(0x90 | ch), std::uint8_t(n.key), std::uint8_t(vel)}});
      ev.push_back({t + n.len, 3, {std::uint8_t(0x80 | ch), std::uint8_t(n.key), 64}});
    }
    auto tr = track(std::move(ev), end);
    out.insert(out.end(), tr.begin(), tr.end());
  }
  return out;
}

bool write_smf(const std::string& path, const Song& song) {
  auto bytes = smf_bytes(song);
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(f);
}

}  // namespace mediagen
