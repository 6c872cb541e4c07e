// Three original songs of things in the dark: a sea beast heaving in the
// deep, a lullaby that turns into a nightmare, and something creeping close.
#include "songs.hpp"

namespace mediagen {

// Song 4, "Leviathan": slow swells in 6/8 and C minor, cellos rolling like
// waves under a long horn melody, tuba and timpani in the deep; a middle
// where the beast rises through tremolo strings and trombones to a climax
// on the chord a tritone away, and a sinking end.
Song leviathan() {
  Song s;
  s.title = "Leviathan";
  s.levelDb = -1.1;
  s.num = 6;
  s.den = 8;
  const double B = 3;
  const std::string tune =
      "| g3/4. c4/4 d4/8 | eb4/4. d4/4. | c4/4 bb3/8 ab3/4 g3/8 | g3/2. "
      "| g3/4. c4/4 d4/8 | eb4/4 f4/8 g4/4. | ab4/4 g4/8 f4/4 eb4/8 | d4/2. "
      "| eb4/4. f4/4 g4/8 | ab4/4. g4/4 f4/8 | eb4/4 d4/8 c4/4 b3/8 | c4/2. |";
  const std::string tuneChordsOpen =
      "Cm/2. | Cm/4. G/4. | Ab/4. Fm/4. | G/2. | Cm/2. | Cm/4. Eb/4. | Fm/4. Cm/4. | G/2. |";
  const std::string tuneChords = tuneChordsOpen + "Cm/2. | Fm/4. Bb7/4. | Cm:G/4. G7/4. | Cm/2. |";
  const std::string introChords = "Cm/2. | Cm | Ab | G |";
  const std::string riseChords = "Cm/2. | Db | Bbm | C | Fm | Gb | G7 | G7 |";
  const std::string rise = "| c4/2. | db4/2. | f4/2. | e4/2. | ab4/2. | bb4/4. ab4/4. | g4/2.~ | g4/2. |";
  const std::string codaChords = "Cm/2. | Db:C/2. | Cm/2. | Cm/2. |";
  // Bars: intro 0, tune 4, tune on strings 16, the rise 28, tune again 36, sinking 44..48.
  s.tempo = {{0, 66},
             {15 * B, 66},
             {16 * B, 62, true},
             {16 * B, 66},
             {28 * B, 70, true},
             {35 * B, 74, true},
             {36 * B, 64, true},
             {43 * B, 64},
             {48 * B, 44, true}};

  Voice& cellos = s.voice("Cellos", 0, gm::Cello);
  cellos.volume = 96;
  cellos.pan = 50;
  cellos.at_bar(0).chords("!p " + introChords + tuneChords, "1/8 5 8 10 8 5", 36);
  cellos.chords("!mp " + tuneChords, "1/8 5 8 10 8 5", 36);
  cellos.chords("!mf " + riseChords, "1/8 5 8 10 8 5", 36);
  cellos.chords("!p " + tuneChordsOpen, "1/8 5 8 10 8 5", 36);
  cellos.chords("!pp " + codaChords, "1/8 5 8 5 1 5", 36);
  breathe(cellos, 0, 48, B, 80, 112);

  Voice& tuba = s.voice("Tuba", 1, gm::Tuba);
  tuba.volume = 96;
  tuba.at_bar(0).chords("!mp " + introChords + tuneChords + tuneChords + riseChords, "1/2.", 36);
  tuba.chords("!p " + tuneChordsOpen + codaChords, "1/2.", 36);

  Voice& basses = s.voice("Contrabasses", 2, gm::Contrabass);
  basses.volume = 92;
  basses.gate = 1.0;
  basses.at_bar(0).add("!p c2/2.~ | c2/2. | ab1/2. | g1/2. |");
  basses.at_bar(28).chords("!mf " + riseChords, "1/2.", 36);
  basses.at_bar(44).add("!pp c2/2.~ | c2/2.~ | c2/2.~ | c2/2. |");

  Voice& horn = s.voice("Horn", 3, gm::Horn);
  horn.volume = 108;
  horn.pan = 70;
  horn.gate = 0.97;
  horn.at_bar(4).add("!mp " + tune);
  horn.at_bar(36).add(
      "!mp !> | g3/4. c4/4 d4/8 | eb4/4. d4/4. | c4/4 bb3/8 ab3/4 g3/8 | g3/2. "
      "| g3/4. c4/4 d4/8 | eb4/4 f4/8 g4/4. | ab4/4 g4/8 f4/4 eb4/8 | d4/2. | !p");
  breathe(horn, 4, 16, B, 90, 120);

  Voice& strings = s.voice("Strings", 4, gm::Strings);
  strings.volume = 100;
  strings.pan = 40;
  strings.gate = 0.98;
  strings.at_bar(16).add("!mf " + tune, 12);
  strings.at_bar(44).chords("!pp " + codaChords, "c/2.", 52);
  breathe(strings, 16, 28, B, 90, 120);

  Voice& tremolo = s.voice("Tremolo strings", 5, gm::TremoloStrings);
  tremolo.volume = 96;
  tremolo.pan = 80;
  tremolo.gate = 1.0;
  tremolo.at_bar(28).chords("!p " + riseChords, "c/2.", 54);
  tremolo.swell({{28 * B, 60}, {33 * B, 120}, {34 * B, 127}, {36 * B, 90}});

  Voice& trombones = s.voice("Trombones", 6, gm::Trombone);
  trombones.volume = 100;
  trombones.at_bar(28).add("!p !< " + rise + " !ff", -12);

  Voice& choir = s.voice("Choir", 7, gm::Choir);
  choir.volume = 90;
  choir.reverb = 100;
  choir.gate = 1.0;
  choir.at_bar(0).chords("!pp " + introChords, "c/2.", 48);
  choir.at_bar(28).add("!p !< " + rise + " !f");
  choir.at_bar(44).add("!pp <c4 eb4 g4>/2. | <c4 f4 ab4>/2. | <c4 eb4 g4>/2.~ | <c4 eb4 g4>/2. |");
  breathe(choir, 28, 48, B, 85, 120);

  Voice& harp = s.voice("Harp", 8, gm::Harp);
  harp.volume = 82;
  harp.pan = 96;
  harp.at_bar(16).chords("!p " + tuneChords, "r/8 8 10 12 10 8", 48);

  Voice& timp = s.voice("Timpani", 10, gm::Timpani);
  timp.volume = 96;
  timp.at_bar(0).add("!pp !< " + times(12, "c2/16") + " !mp c2/4 r/8 r/4. | r/2. | g1/4 r/8 r/4. |");
  for (int bar : {4, 8, 12, 16, 20, 24, 36, 40}) timp.at_bar(bar).add("!mp c2/4 r/8 r/4.");
  timp.at_bar(32).add("!p c2/4 r/8 r/4. | r/2. | !< " + times(24, "g1/16") + " !ff");
  timp.at_bar(47).add("!pp c2/2.");

  Voice& gong = s.voice("Cymbal", 9, 0);
  gong.volume = 80;
  gong.at_bar(0).add("!p e3/2.");
  gong.at_bar(33).add("!f e3/2.");
  gong.at_bar(47).add("!pp e3/2.");
  return s;
}

// Song 6, "Nitemare": a music-box lullaby in A minor that sours into a
// nightmare (tremolo strings, brass stabs, the lullaby a semitone off and
// rising in panic, a heartbeat), and wakes back into the lullaby, slower.
Song nitemare() {
  Song s;
  s.title = "Nitemare";
  s.levelDb = -0.85;
  s.num = 3;
  const double B = 3;
  const std::string lullaby =
      "| e5/4 c5 a4 | b4/2 g#4/4 | a4/4 c5 e5 | d5/2. | f5/4 e5 d5 | c5/4 b4 a4 | g#4/4 a4 b4 | a4/2. |";
  const std::string lullabyChords = "Am/2. | E | Am | Dm | Dm | Am | E7 | Am |";
  const std::string answer =
      "| c5/4 e5 a5 | g#5/2 e5/4 | f5/4 e5 d5 | c5/2 b4/4 | a4/4 c5 e5 | d5/4 c5 b4 | a4/4 g#4 b4 | a4/2. |";
  const std::string answerChords = "Am/2. | E/2. | Dm/2. | Am/2 E/4 | Am/2. | Dm/2 E/4 | Am/4 E/2 | Am/2. |";
  const std::string dreadChords = "Am/2. | D#dim | Am | D#dim | F | Bdim | E7 | E7 |";
  // Bars: winding up 0, lullaby 2, nightmare 18, chase 26, collapse 34, heartbeat 38, lullaby again 42, end 50..54.
  s.tempo = {{0, 92},       {17 * B, 92}, {18 * B, 150}, {33 * B, 150},     {34 * B, 160, true},
             {38 * B, 160}, {42 * B, 72}, {49 * B, 72},  {54 * B, 40, true}};

  Voice& box = s.voice("Music box", 0, gm::MusicBox);
  box.volume = 112;
  box.pan = 70;
  box.reverb = 70;
  box.at_bar(0).add("!mp a4/8 c5 e5 a5 c6 e6 | a6/2 r/4 |");
  box.add("!mp " + lullaby);
  box.add("!mp " + answer);
  box.at_bar(46).add("!p | f5/4 e5 d5 | c5/4 b4 a4 | g#4/4 a4 b4 | a4/2. |");
  box.at_bar(50).add("!pp e5/4 c5 a4 | b4/2 g#4/4 | a4/2.~ | a4/2. |");

  Voice& celesta = s.voice("Celesta", 1, gm::Celesta);
  celesta.volume = 90;
  celesta.pan = 50;
  celesta.at_bar(10).chords("!p " + answerChords, "1/8 5 8 5 10 5", 57);
  celesta.at_bar(42).add("!mf " + lullaby, -12);
  celesta.at_bar(53).add("!pp a5/2.");

  Voice& harp = s.voice("Harp", 2, gm::Harp);
  harp.volume = 86;
  harp.at_bar(2).chords("!p " + lullabyChords, "1/4 c c", 45);
  harp.chords("!p " + answerChords, "1/4 c c", 45);
  harp.at_bar(42).chords("!p " + lullabyChords, "1/4 c c", 45);
  harp.chords("!pp Am/2. | E | Am | Am |", "1/4 c c", 45);

  Voice& tremolo = s.voice("Tremolo strings", 3, gm::TremoloStrings);
  tremolo.volume = 100;
  tremolo.gate = 1.0;
  tremolo.at_bar(18).chords("!mf " + dreadChords, "c/2.", 52);
  tremolo.chords("!f Am/2. | Am | Bb | Bb | B | B | C | C |", "1/8 3 5 3 1 3", 52);
  tremolo.swell({{18 * B, 80}, {26 * B, 100}, {34 * B, 127}});

  Voice& brass = s.voice("Brass", 4, gm::Brass);
  brass.volume = 100;
  brass.at_bar(18).chords("!f " + dreadChords, "r/4 c^' r", 52);
  brass.at_bar(26).add(
      "!f | e5/4 c5 a4 | b4/2 g#4/4 |"
      "| f5/4 c#5 bb4 | c5/2 a4/4 | f#5/4 d5 b4 | c#5/2 a#4/4 | g5/4 d#5 c5 | d5/2 b4/4 |",
      -12);
  brass.at_bar(34).add(
      "!ff <a3 c4 d#4 a4>/4^ r r | <a3 c4 d#4 a4>/4^ r r | <a3 c4 d#4 a4>/4^ <a3 c4 d#4 a4>^ r "
      "| <g#3 b3 d4 f4>/2.^ |");

  Voice& violins = s.voice("Violins", 5, gm::Violin);
  violins.volume = 96;
  violins.pan = 40;
  violins.at_bar(26).add(
      "!f | e6/4 c6 a5 | b5/2 g#5/4 |"
      "| f6/4 c#6 bb5 | c6/2 a5/4 | f#6/4 d6 b5 | c#6/2 a#5/4 | g6/4 d#6 c6 | d6/2 b5/4 |");
  violins.at_bar(38).add("!p e5/2.~ | e5/2 d#5/4 | d5/2.~ | d5/2. |");

  Voice& xylo = s.voice("Xylophone", 6, gm::Xylophone);
  xylo.volume = 90;
  xylo.pan = 96;
  xylo.at_bar(18).add("!mf " + lullaby, 1);

  Voice& bass = s.voice("Basses", 7, gm::Contrabass);
  bass.volume = 100;
  bass.at_bar(2).chords("!p " + lullabyChords + answerChords, "1/2.", 33);
  bass.chords("!mf " + dreadChords, "1/4 1 1", 33);
  bass.chords("!f Am/2. | Am | Bb | Bb | B | B | C | C |", "1/4 1 1", 33);
  bass.at_bar(42).chords("!pp " + lullabyChords + "Am/2. | E | Am | Am |", "1/2.", 33);

  Voice& timp = s.voice("Timpani", 8, gm::Timpani);
  timp.volume = 100;
  timp.at_bar(18).add("!mf " + times(8, "a1/4 r/2 |"));
  timp.add("!f " + times(8, "a1/8 a1 r/4 e2/4 |"));
  timp.add("!ff !< " + times(24, "a1/16") + "!ff a1/4 r/2 | r/2. |");
  // The heartbeat in the dark before waking.
  timp.add("!mp " + times(4, "a1/8 a1/8 r/4 r/4 |"));
  timp.at_bar(53).add("!pp a1/2.");

  Voice& pad = s.voice("Strings", 10, gm::SlowStrings);
  pad.volume = 76;
  pad.gate = 1.0;
  pad.at_bar(2).chords("!pp " + lullabyChords + answerChords, "c/2.", 52);
  pad.at_bar(42).chords("!pp " + lullabyChords + "Am/2. | E | Am | Am |", "c/2.", 52);
  breathe(pad, 2, 18, B, 70, 100);
  breathe(pad, 42, 54, B, 65, 95);
  return s;
}

// Song 7, "Lurker": something creeps on tiptoe in G minor: plucked strings
// walking, a staccato bassoon tune, the clarinet taking it up; a middle of
// tremolo strings and a horn where it draws near, then the tiptoe again,
// softer, and gone.
Song lurker() {
  Song s;
  s.title = "Lurker";
  s.levelDb = 3.5;
  const double B = 4;
  const std::string creep =
      "| g3/8' bb3' d4' r c#4' d4' r/4 | g3/8' bb3' d4' eb4' d4/4 r/4 "
      "| f3/8' a3' c4' r b3' c4' r/4 | f3/8' a3' c4' d4' c4/4 r/4 "
      "| eb4/8' d4' c4' bb3' a3' bb3' c4' a3' | bb3/8' a3' g3' f#3' g3/4 r/4 "
      "| eb4/8' r c4' r a3' r f#3' r | g3/4' r/4 d3/4' r/4 |";
  const std::string creepChords = "Gm/1 | Gm | F | F | Cm/2 D7/2 | Gm/2 D7/2 | Cm/2 D7/2 | Gm/1 |";
  const std::string nearChords = "Gm/1 | Ab | Gm | Ab | Eb | C#dim7 | D7 | D7 |";
  const std::string near = "| d4/1 | eb4/1 | d4/2 g4/2 | ab4/1 | g4/1 | e4/2 c#4/2 | d4/1~ | d4/1 |";
  const std::string walk = "1/8' r/8 5/8' r/8 8/8' r/8 5/8' r/8";
  // Bars: walking 0, bassoon 4, clarinet 12, drawing near 20, tiptoe again 28, gone 36..40.
  s.tempo = {{0, 80}, {19 * B, 80}, {20 * B, 72, true}, {27 * B, 72}, {28 * B, 80}, {36 * B, 80}, {40 * B, 56, true}};

  Voice& pizz = s.voice("Plucked strings", 0, gm::Pizzicato);
  pizz.volume = 108;
  pizz.pan = 56;
  pizz.at_bar(0).chords("!p Gm/1 | Gm | Gm | Gm |" + creepChords + creepChords, walk, 43);
  pizz.at_bar(28).chords("!pp " + creepChords, walk, 43);
  pizz.add("!pp g2/8' r/8 d3/8' r/8 g3/8' r/8 d3/8' r/8 | g2/8' r/8 r/4 r/2 | r/1 | g1/4' r/2. |");

  Voice& bassoon = s.voice("Bassoon", 1, gm::Bassoon);
  bassoon.volume = 110;
  bassoon.pan = 70;
  bassoon.at_bar(4).add("!mp " + creep);
  bassoon.add("!p | d3/2 f3/2 | f3/2 g3/2 | c3/2 eb3/2 | eb3/2 f3/2 | g3/2 f#3/2 | g3/2 a3/2 | c4/2 a3/2 | g3/2 r/2 |");
  bassoon.at_bar(28).add("!p " + creep);
  bassoon.at_bar(36).add("!pp g3/8' bb3' d4' r c#4' d4' r/4 | g3/8' bb3' d4' r r/2 |");

  Voice& clarinet = s.voice("Clarinet", 2, gm::Clarinet);
  clarinet.volume = 100;
  clarinet.pan = 40;
  clarinet.at_bar(12).add("!mp " + creep, 12);

  Voice& tremolo = s.voice("Tremolo strings", 3, gm::TremoloStrings);
  tremolo.volume = 96;
  tremolo.gate = 1.0;
  tremolo.at_bar(20).chords("!p " + nearChords, "c/1", 52);
  tremolo.swell({{20 * B, 50}, {26 * B, 120}, {27.5 * B, 127}, {28 * B, 60}});

  Voice& horn = s.voice("Horn", 4, gm::Horn);
  horn.volume = 100;
  horn.at_bar(20).add("!p !< " + near + " !f");

  Voice& bass = s.voice("Contrabass", 5, gm::Contrabass);
  bass.volume = 96;
  bass.gate = 1.0;
  bass.at_bar(20).chords("!mp " + nearChords, "1/1", 31);
  // Held low under the last silence, before the final pluck.
  bass.at_bar(37).add("!pp r/2 g1/2~ | g1/1 |");

  Voice& celesta = s.voice("Celesta", 6, gm::Celesta);
  celesta.volume = 84;
  celesta.pan = 90;
  celesta.at_bar(28).add("!pp " + creep, 24);

  Voice& timp = s.voice("Timpani", 7, gm::Timpani);
  timp.volume = 96;
  timp.at_bar(0).add("!mp g1/4 r/2. |");
  for (int bar : {4, 12, 28}) timp.at_bar(bar).add("!p g1/4 r/2. |");
  timp.at_bar(26).add("!pp !< " + times(32, "d2/16") + " !f");
  timp.at_bar(39).add("!p g1/4 r/2. |");

  Voice& block = s.voice("Wood block", 9, 0);
  block.volume = 70;
  block.at_bar(12).add("!p " + times(8, "r/4 f5/8' r/8 r/4 f5/8' r/8 |"));
  return s;
}

}  // namespace mediagen
