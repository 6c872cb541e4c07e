// Song 0, "Horror Hill": the one that plays by default and repeats for
// hours, so it has the most care: a music-box waltz in D minor over harp and
// strings, a choir's middle section in F major that darkens back into D
// minor, and a coda that slows into the same bell toll the song opens with,
// so its end leads back into its beginning.
#include "songs.hpp"

namespace mediagen {

Song horror_hill() {
  Song s;
  s.title = "Horror Hill";
  s.levelDb = 0.5;
  s.num = 3;
  s.den = 4;
  const double B = 3;  // beats in a bar

  const std::string theme =
      "| d5/4 f a | g#/2 a/4 | f e d | e/2. "
      "| d/4 f a | bb/2 a/4 | g f e | d/2. "
      "| c6/4 bb a | bb a g | a g f | e/2 a4/4 "
      "| d5/4 f a | g#/2 b/4 | e5/4 d c# | d/2. |";
  const std::string themeChords = "Dm/2. | E7 | Bb | A | Dm | Gm | A7 | Dm | F | Gm | Dm | A | Dm | E7 | A7 | Dm |";
  const std::string hymn =
      "| a4/2. | bb/4 a g | f/2 c5/4 | c/2. | d/2 c/4 | bb a g | a/2. | r/2. "
      "| a/2 bb/4 | a/2 g#/4 | a/2 f/4 | e/2. | d/2 e/4 | f/2 g#/4 | a/2. | a/2. |";
  const std::string hymnChords = "F/2. | C7 | F | Am | Bb | C7 | F | F | Dm | E7 | Dm | A | Bb | E7 | A | A7 |";
  const std::string introChords = "Dm/2. | Dm | Bb | A7 |";
  const std::string codaTune = "| d5/4 f a | g#/2 a/4 | f e d | c#/2. | d/2.~ | d/2. | r/2. | r/2. |";
  const std::string codaChords = "Dm/2. | E7 | Bb | A7 | Dm | Dm | Dm | Dm |";
  // Bars: intro 0, theme 4, theme on strings 20, hymn 36, theme 52, coda 68, end 76.

  s.tempo = {{0, 96},
             {19 * B, 96},
             {20 * B, 88, true},
             {20 * B, 96},
             {35 * B, 96},
             {36 * B, 84, true},
             {50 * B, 84},
             {52 * B, 76, true},
             {52 * B, 96},
             {67 * B, 96},
             {68 * B, 90, true},
             {68 * B, 96},
             {71 * B, 92, true},
             {76 * B, 58, true}};

  Voice& box = s.voice("Music box", 0, gm::MusicBox);
  box.volume = 112;
  box.pan = 72;
  box.reverb = 70;
  box.at_bar(4).add("!mp " + theme);
  box.at_bar(52).add("!mf " + theme);
  box.at_bar(68).add("!mp " + codaTune);

  Voice& strings = s.voice("Strings", 1, gm::Strings);
  strings.volume = 96;
  strings.pan = 50;
  strings.at_bar(20).add("!mp " + theme, -12);
  strings.at_bar(52).add("!p " + theme, -12);
  breathe(strings, 20, 36, B, 85, 115);
  breathe(strings, 52, 68, B, 80, 110);

  Voice& pad = s.voice("Slow strings", 2, gm::SlowStrings);
  pad.volume = 78;
  pad.pan = 78;
  pad.gate = 1.0;
  pad.at_bar(0).chords("!pp " + introChords + themeChords + themeChords, "c/2.", 48);
  pad.chords("!p " + hymnChords, "c/2.", 46);
  pad.chords("!pp " + themeChords + codaChords, "c/2.", 48);
  breathe(pad, 0, 76, B, 70, 105);

  Voice& harp = s.voice("Harp", 3, gm::Harp);
  harp.volume = 92;
  harp.pan = 40;
  harp.at_bar(0).chords("!mp " + introChords, "1/8 5 8 10 12 10", 50);
  harp.chords("!mp " + themeChords + themeChords, "r/4 c c", 50);
  harp.chords("!p " + hymnChords, "1/8 5 8 10 8 5", 41);
  harp.chords("!mp " + themeChords, "r/4 c c", 50);
  harp.chords("!mp Dm/2. | E7 | Bb | A7 |", "r/4 c c", 50);
  harp.chords("!p Dm/2. | Dm | Dm |", "1/8 5 8 10 12 10", 50);
  harp.add("<d3 a3 d4 f4 a4>/2.");

  Voice& bass = s.voice("Pizzicato bass", 4, gm::Pizzicato);
  bass.volume = 100;
  bass.pan = 60;
  bass.at_bar(4).chords("!mf " + themeChords + themeChords, "1/4 r/2", 38);
  bass.chords("!mp " + hymnChords, "1/4 r 5", 38);
  bass.chords("!mf " + themeChords + "Dm/2. | E7 | Bb | A7 |", "1/4 r/2", 38);
  bass.add("!mp d2/2. | r/2. | r/2. | r/2. |");

  Voice& celesta = s.voice("Celesta", 5, gm::Celesta);
  celesta.volume = 84;
  celesta.pan = 88;
  celesta.at_bar(20).chords("!p " + themeChords, "r/8 5 8 10 12 10", 62);
  celesta.at_bar(44).chords("!pp Dm/2. | E7 | Dm | A | Bb | E7 | A | A7 |", "12/4 r/2", 62);
  celesta.at_bar(72).add("!p a5/2. | f5/2. | d5/2. | r/2. |");

  Voice& choir = s.voice("Choir", 6, gm::Choir);
  choir.volume = 100;
  choir.pan = 64;
  choir.reverb = 80;
  choir.gate = 0.98;
  choir.at_bar(36).add("!mp " + hymn);
  choir.at_bar(72).add("!pp <d4 f a>/2.~ | <d f a>/2.~ | <d f a>/2. | r/2. |");
  breathe(choir, 36, 52, B, 85, 120);

  Voice& bells = s.voice("Tubular bells", 7, gm::TubularBells);
  bells.volume = 90;
  bells.reverb = 90;
  bells.at_bar(0).add("!mf d5/2. | r/2. | bb4/2. | a4/2. |");
  bells.at_bar(36).add("!mp f4/2.");
  bells.at_bar(44).add("!mp d5/2.");
  bells.at_bar(72).add("!mf d5/2. | r/2. | d4/2. | r/2. |");

  Voice& timp = s.voice("Timpani", 8, gm::Timpani);
  timp.volume = 96;
  for (int bar : {20, 24, 32, 52, 56, 64}) timp.at_bar(bar).add("!mp d2/4 r/2 |");
  timp.at_bar(60).add("!mf f2/4 r/2 | g2/4 r/2 |");
  timp.at_bar(74).add("!pp !< " + times(12, "a1/16") + "| !mp d2/4 r/2 |");
  return s;
}

}  // namespace mediagen
