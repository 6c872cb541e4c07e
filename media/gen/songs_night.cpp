// Four original songs for a night out among the graves. Their titles name
// famous songs; these are pieces of our own in a fitting mood and borrow
// nothing from them: a witches' jig, a gothic minuet, a suspense cue and a
// ghost-chase galop.
#include "songs.hpp"

namespace mediagen {

// Song 8, "Halloween": a witches' jig in 6/8 and E minor on xylophone over
// tuba and plucked chords, a brighter G major strain for muted trumpet, a
// slow eerie strain for celesta and choir, and a stamping end.
Song halloween() {
  Song s;
  s.title = "Halloween";
  s.levelDb = -3.3;
  s.num = 6;
  s.den = 8;
  const double B = 3;
  const std::string jig =
      "| e4/8 g b e5/4 d5/8 | c5/8 b a b/4. | e4/8 g b e5/4 f#5/8 | g5/4. f#5/4. "
      "| e5/8 d c b/4 a/8 | g/8 f# e f#/4 b3/8 | e4/8 f# g a g f# | e/4. r/4. |";
  const std::string jigChords =
      "Em/2. | Am/4. B7/4. | Em/2. | G/4. B7/4. | Am/2. | Em/4. B7/4. | Em/4. B7/4. | Em/2. |";
  const std::string strain =
      "| d5/4 b4/8 g4/4 b4/8 | d5/4 e5/8 d5/4. | c5/4 a4/8 f#4/4 a4/8 | c5/4 d5/8 c5/4. "
      "| b4/4 g4/8 e4/4 g4/8 | a4/8 b4 c5 d5/4 c5/8 | b4/8 a4 g4 f#4/4 a4/8 | b4/4. r/4. |";
  const std::string strainChords = "G/2. | G | D7 | D7 | Em | Am/4. D7/4. | G/4. D7/4. | B7/2. |";
  const std::string eerie = "| b4/2. | c5/4. b4/4. | a4/2. | g4/4. f#4/4. | e4/2. | f4/4. e4/4. | d#4/2.~ | d#4/2. |";
  const std::string eerieChords = "Em/2. | Am/4. Em/4. | Am/2. | Em/4. B7/4. | C/2. | F/4. C/4. | B7/2. | B7/2. |";
  const std::string vamp = "Em/2. | Em | Em | B7 |";
  const std::string oom = "1/4.' 5/4.'";
  const std::string pah = "r/8 c/8' c/8' r/8 c/8' c/8'";
  // Bars: vamp 0, jig 4, jig again 12, major strain 20, eerie strain 28, jig 36, strain 44, end 52..56.
  s.tempo = {{0, 132},      {27 * B, 132}, {28 * B, 84},  {35 * B, 78, true},
             {36 * B, 132}, {51 * B, 132}, {52 * B, 126}, {56 * B, 84, true}};

  Voice& xylo = s.voice("Xylophone", 0, gm::Xylophone);
  xylo.volume = 104;
  xylo.pan = 76;
  xylo.at_bar(2).add("!mp b5/8' r r r/4. | b5/8' a#5' a5' g#5' g5' f#5' |");
  xylo.add("!mf " + jig + jig, 12);
  xylo.at_bar(36).add("!f " + jig, 12);
  xylo.at_bar(44).add("!mf " + strain);
  xylo.at_bar(52).add(
      "!f e6/16 d6 c6 b5 a5 g5 f#5 e5 d5 c5 b4 a4 | g4/8 f# e d# e f# | <e4 g4 b4 e5>/4.^ r/4. "
      "| <e3 b3 e4>/4.^ r/4. |");

  Voice& tuba = s.voice("Tuba", 1, gm::Tuba);
  tuba.volume = 100;
  tuba.at_bar(0).chords("!mf " + vamp + jigChords + jigChords + strainChords, oom, 40);
  tuba.at_bar(36).chords("!f " + jigChords + strainChords, oom, 40);
  tuba.at_bar(54).add("!f e2/4.^ r/4. | e1/4.^ r/4. |");

  Voice& pizz = s.voice("Plucked chords", 2, gm::Pizzicato);
  pizz.volume = 96;
  pizz.pan = 44;
  pizz.at_bar(0).chords("!mp " + vamp + jigChords + jigChords + strainChords, pah, 52);
  pizz.at_bar(36).chords("!mf " + jigChords + strainChords, pah, 52);

  Voice& bassoon = s.voice("Bassoon", 3, gm::Bassoon);
  bassoon.volume = 100;
  bassoon.gate = 0.7;
  bassoon.at_bar(12).add("!mf " + jig, -12);
  bassoon.at_bar(36).add("!mf " + jig, -12);

  Voice& trumpet = s.voice("Muted trumpet", 4, gm::MutedTrumpet);
  trumpet.volume = 100;
  trumpet.pan = 56;
  trumpet.at_bar(20).add("!mf " + strain);
  trumpet.at_bar(44).add("!f " + strain);

  Voice& celesta = s.voice("Celesta", 5, gm::Celesta);
  celesta.volume = 96;
  celesta.pan = 70;
  celesta.at_bar(28).add("!mp " + eerie, 12);

  Voice& choir = s.voice("Choir", 6, gm::Choir);
  choir.volume = 90;
  choir.reverb = 100;
  choir.gate = 1.0;
  choir.at_bar(28).chords("!p " + eerieChords, "c/2.", 50);
  breathe(choir, 28, 36, B, 80, 115);

  Voice& harp = s.voice("Harp", 7, gm::Harp);
  harp.volume = 86;
  harp.at_bar(28).chords("!p " + eerieChords, "1/8 5 8 10 8 5", 40);

  Voice& strings = s.voice("Strings", 8, gm::Strings);
  strings.volume = 92;
  strings.gate = 0.8;
  strings.at_bar(36).add("!mf " + jig);
  strings.at_bar(44).chords("!mp " + strainChords, "c/4. c/4.", 52);

  Voice& drums = s.voice("Tambourine", 9, 0);
  drums.volume = 80;
  drums.at_bar(12).add("!mp " + times(8, "f#3/8 r r f#3 r r |"));
  drums.at_bar(36).add("!mf " + times(16, "f#3/8 r f#3 f#3 r r |"));
  drums.at_bar(54).add("!f c#3/4.^ r/4. | c#3/4.^ r/4. |");

  Voice& timp = s.voice("Timpani", 10, gm::Timpani);
  timp.volume = 92;
  timp.at_bar(0).add("!mp e2/4. r/4. | r/2. | e2/4. r/4. | b1/4. r/4. |");
  timp.at_bar(28).add("!pp e2/2. | r/2. | r/2. | r/2. | r/2. | r/2. | !< " + times(12, "b1/16") + "!mf b1/4. r/4. |");
  return s;
}

// Song 9, "Adams Family": a gothic minuet in D minor, harpsichord over
// strings, with its answer in F major; a music-box trio in B flat; the
// minuet again on violins, and a slowing end.
Song adams_family() {
  Song s;
  s.title = "Adams Family";
  s.levelDb = -2.6;
  s.num = 3;
  const double B = 3;
  const std::string minuet =
      "| d5/4 a4 f4 | e4/4 c#4 a3 | d4/8 e4 f4 g4 a4 bb4 | a4/2 r/4 "
      "| bb4/4 g4 e4 | a4/4 f4 d4 | g4/8 f4 e4 d4 c#4 e4 | d4/2. |";
  const std::string minuetChords = "Dm/2. | A7 | Dm | A | Edim | Dm | A7 | Dm |";
  const std::string answer =
      "| f5/4 e5/8 d5/8 c5/4 | bb4/4 a4 g4 | a4/8 bb4 c5 d5 e5 f5 | e5/2 c5/4 "
      "| d5/4 bb4 g4 | c5/4 a4 f4 | g4/8 a4 bb4 g4 e4 c4 | f4/2. |";
  const std::string answerChords = "F/2. | C7 | F | C | Gm | F | C7 | F |";
  const std::string trio =
      "| f5/2 d5/4 | bb4/2 f4/4 | g4/4 a4 bb4 | c5/2. | d5/2 bb4/4 | a4/2 f4/4 | g4/4 f4 e4 | f4/2. "
      "| a4/2 bb4/4 | c5/2 d5/4 | eb5/4 d5 c5 | bb4/2 g4/4 | f4/4 bb4 d5 | c5/4 a4 f4 | bb4/4 a4 c5 | bb4/2. |";
  const std::string trioChords =
      "Bb/2. | Bb | Eb | F | Gm | F | C7 | F | F | F7/2 Bb/4 | Eb/2. | Gm | Bb | F | F7 | Bb |";
  const std::string coda = "| d5/4 a4 f4 | e4/4 c#4 a3 | d4/4 a3 d3 | d3/2. |";
  const std::string codaChords = "Dm/2. | A7 | Dm | Dm |";
  // Bars: minuet 0, answer 8, minuet 16, trio 24, minuet 40, answer 48, end 56..60.
  s.tempo = {{0, 112},           {23 * B, 112}, {24 * B, 96, true}, {24 * B, 100},     {39 * B, 100},
             {40 * B, 92, true}, {40 * B, 112}, {56 * B, 108},      {60 * B, 66, true}};

  Voice& harpsi = s.voice("Harpsichord", 0, gm::Harpsichord);
  harpsi.volume = 110;
  harpsi.pan = 60;
  harpsi.at_bar(0).add("!mf " + minuet + answer + minuet);
  harpsi.at_bar(40).add("!mf " + minuet, 12);
  harpsi.add("!mf " + answer);
  harpsi.add("!mf " + coda);

  Voice& continuo = s.voice("Continuo", 1, gm::Harpsichord);
  continuo.volume = 88;
  continuo.pan = 40;
  continuo.at_bar(0).chords("!mp " + minuetChords + answerChords + minuetChords, "1/4 c c", 38);
  continuo.at_bar(40).chords("!mp " + minuetChords + answerChords + codaChords, "1/4 c c", 38);

  Voice& strings = s.voice("Strings", 2, gm::Strings);
  strings.volume = 80;
  strings.gate = 1.0;
  strings.at_bar(0).chords("!p " + minuetChords + answerChords + minuetChords, "c/2.", 50);
  strings.at_bar(40).chords("!mp " + minuetChords + answerChords + codaChords, "c/2.", 50);
  breathe(strings, 0, 24, B, 75, 105);
  breathe(strings, 40, 60, B, 80, 110);

  Voice& cello = s.voice("Cello", 3, gm::Cello);
  cello.volume = 96;
  cello.at_bar(0).chords("!mp " + minuetChords + answerChords + minuetChords, "1/2 5/4", 38);
  cello.at_bar(40).chords("!mf " + minuetChords + answerChords + codaChords, "1/2 5/4", 38);

  Voice& bassoon = s.voice("Bassoon", 4, gm::Bassoon);
  bassoon.volume = 92;
  bassoon.at_bar(8).add("!mp " + answer, -12);

  Voice& box = s.voice("Music box", 5, gm::MusicBox);
  box.volume = 112;
  box.reverb = 70;
  box.at_bar(24).add("!mp " + trio);

  Voice& celesta = s.voice("Celesta", 6, gm::Celesta);
  celesta.volume = 86;
  celesta.pan = 80;
  celesta.at_bar(24).chords("!p " + trioChords, "r/8 8 10 12 10 8", 46);

  Voice& pizz = s.voice("Plucked bass", 7, gm::Pizzicato);
  pizz.volume = 100;
  pizz.at_bar(24).chords("!mp " + trioChords, "1/4 r 5", 34);

  Voice& violins = s.voice("Violins", 8, gm::Violin);
  violins.volume = 100;
  violins.pan = 48;
  violins.at_bar(40).add("!mf " + minuet);
  violins.add("!f " + answer, 12);
  violins.add("!mp !> " + coda + " !pp");
  return s;
}

// Song 10, "Thriller": a suspense cue in E minor. A pulse of low strings in
// a restless three-three-two, a horn melody over it; a faster chase with
// tremolo strings, brass stabs and drums; the melody again on all the
// strings, and the pulse running down to a last chord. The dialog starts it
// 170 ms in, so the pulse begins right there.
Song thriller() {
  Song s;
  s.title = "Thriller";
  s.levelDb = -10.7;
  s.leadMs = 170;
  const double B = 4;
  const std::string tune =
      "| b4/2 c5/4 b4/4 | a4/2 g4/4 f#4/4 | g4/4. a#4/8 b4/2 | e4/1 "
      "| b4/2 c5/4 d5/4 | e5/2 d5/4 c5/4 | b4/4 a4/4 g4/4 f#4/4 | e4/1 |";
  const std::string tuneChords = "Em/1 | Am/2 B7/2 | Em/2 B7/2 | Em/1 | Em/1 | C/1 | Em/4 Am Em B7 | Em/1 |";
  const std::string chase =
      "| e5/4 f#5/4 g5/4 a5/4 | bb5/2 a5/2 | g5/4 f#5/4 e5/4 d#5/4 | e5/1 "
      "| b5/4 a5/4 g5/4 f#5/4 | g5/2 e5/2 | c5/4 b4/4 a4/4 d#5/4 | e5/1 |";
  const std::string chaseChords = "Em/1 | C#dim7/1 | Em/4 B7 Em B7 | Em/1 | Em/1 | C/1 | Am/2 B7/2 | Em/1 |";
  const std::string pulse = "1/8^' 1' 1' 1^' 1' 1' 1^' 1'";
  // Bars: pulse 0, horn 4, strings join 12, chase 20, chase in full 28, tune in full 36, running down 44..48.
  s.tempo = {{0, 112}, {19 * B, 112}, {20 * B, 132}, {35 * B, 132}, {36 * B, 112}, {44 * B, 112}, {48 * B, 64, true}};

  Voice& low = s.voice("Low strings", 0, gm::Cello);
  low.volume = 104;
  low.pan = 52;
  low.at_bar(0).chords("!mf Em/1 | Em | Em | Em |", pulse, 40);
  low.chords("!mp " + tuneChords + tuneChords, pulse, 40);
  low.chords("!mf " + chaseChords + chaseChords, pulse, 40);
  low.chords("!f " + tuneChords, pulse, 40);
  low.chords("!mp Em/1 | C | Am/2 B7/2 |", pulse, 40);
  low.add("!mp e2/1 |");
  low.swell({{0, 100}, {4 * B, 115}});

  Voice& bass = s.voice("Contrabass", 1, gm::Contrabass);
  bass.volume = 96;
  bass.at_bar(0).chords("!mp Em/1 | Em | Em | Em |" + tuneChords + tuneChords + chaseChords + chaseChords + tuneChords +
                            "Em/1 | C | Am/2 B7/2 |",
                        "1/4. 1/4. 1/4", 28);
  bass.add("!p e1/1 |");

  Voice& horn = s.voice("Horn", 2, gm::Horn);
  horn.volume = 108;
  horn.pan = 70;
  horn.at_bar(4).add("!mp " + tune);
  horn.add("!mf " + tune);
  horn.at_bar(36).add("!f " + tune, -12);

  Voice& violins = s.voice("Violins", 3, gm::Strings);
  violins.volume = 100;
  violins.pan = 40;
  violins.gate = 0.98;
  violins.at_bar(12).add("!mp " + tune, 12);
  violins.at_bar(20).add("!mf " + chase);
  violins.add("!f " + chase, 12);
  violins.add("!ff " + tune, 12);
  violins.add("!mp !> | b5/2 c6/4 b5/4 | a5/2 g5/4 f#5/4 | g5/2 f#5/2 | e5/1 | !pp");

  Voice& tremolo = s.voice("Tremolo strings", 4, gm::TremoloStrings);
  tremolo.volume = 88;
  tremolo.gate = 1.0;
  tremolo.at_bar(20).chords("!mf " + chaseChords + chaseChords, "c/1", 54);
  tremolo.swell({{20 * B, 70}, {27 * B, 110}, {28 * B, 90}, {35 * B, 127}});

  Voice& brass = s.voice("Brass", 5, gm::Brass);
  brass.volume = 100;
  brass.at_bar(20).chords("!f " + chaseChords, "r/8 c/8^' r/4 r/8 c/8^' r/4", 52);
  brass.add("!f " + chase, -12);
  brass.at_bar(36).chords("!f " + tuneChords, "c/2 c/4. c/8^'", 52);
  brass.at_bar(47).add("!ff <e3 b3 e4 g4>/1^");

  Voice& pad = s.voice("Pad", 6, gm::Warm);
  pad.volume = 80;
  pad.gate = 1.0;
  pad.at_bar(0).chords("!mp Em/1 | Em | C | B7 |" + tuneChords + tuneChords, "c/1", 52);
  breathe(pad, 0, 20, B, 70, 100);

  Voice& choir = s.voice("Choir", 7, gm::Choir);
  choir.volume = 92;
  choir.reverb = 100;
  choir.gate = 1.0;
  choir.at_bar(36).chords("!mf " + tuneChords, "c/1", 50);
  choir.add("!p <e3 b3 e4>/1 | <e3 c4 e4>/1 | <e3 a3 c4>/2 <d#3 f#3 b3>/2 | <e3 b3 e4 g4>/1 |");

  Voice& timp = s.voice("Timpani", 8, gm::Timpani);
  timp.volume = 96;
  timp.at_bar(0).add("!p e2/4 r/2. | r/1 | e2/4 r/2. | !< " + times(16, "b1/16") + "!mf");
  for (int bar : {4, 8, 12, 16}) timp.at_bar(bar).add("!mp e2/4 r/2.");
  timp.at_bar(36).add("!f " + times(8, "e2/4 r/4 b1/4 r/4 |"));
  timp.add("!mp e2/4 r/2. | r/1 | !< " + times(16, "b1/16") + "!f e2/1 |");

  Voice& drums = s.voice("Drums", 9, 0);
  drums.volume = 90;
  drums.at_bar(20).add("!mf " + times(16, "f2/8 r f2 r a2/8 r f2 f2 |"));
  drums.at_bar(28).add("!f c#3/4");
  drums.at_bar(36).add("!f c#3/4");
  drums.at_bar(47).add("!f c#3/1");
  return s;
}

// Song 11, "GhostBusters": a ghost-chase galop in G minor, xylophone and
// plucked strings over an oom-pah, trumpets in B flat; a slow haunted middle
// for celesta, violin and choir; the chase again, full, and a last "caught
// you" chord. The dialog starts it 80 ms in, so its sting begins there.
Song ghostbusters() {
  Song s;
  s.title = "GhostBusters";
  s.levelDb = -5.0;
  s.num = 2;
  s.leadMs = 80;
  const double B = 2;
  const std::string galop =
      "| d5/8 d5/16 eb5/16 d5/8 c5/8 | bb4/8 a4/8 g4/4 | d5/8 d5/16 eb5/16 d5/8 g5/8 | f#5/4 d5/4 "
      "| eb5/8 d5/16 c5/16 bb4/8 a4/8 | g4/8 bb4/8 d5/4 | c5/8 bb4/8 a4/8 f#4/8 | g4/4 r/4 |";
  const std::string galopChords = "Gm/2 | D7/4 Gm/4 | Gm/2 | D/2 | Cm/2 | Gm/2 | D7/2 | Gm/2 |";
  const std::string trumpets =
      "| f5/8 f5 g5 f5 | d5/4 bb4/4 | c5/8 d5 eb5 c5 | f5/2 | f5/8 g5 a5 bb5 | a5/8 g5 f5/4 | eb5/8 c5 d5 a4 | bb4/4 "
      "r/4 |";
  const std::string trumpetChords = "Bb/2 | Bb | F7 | F | Bb | F | Cm/4 F7/4 | Bb/2 |";
  const std::string hauntOpen = "| g4/4 a4/4 | bb4/2 | a4/4 f#4/4 | g4/2 | eb5/4 d5/4 | c5/4 bb4/4 | a4/2 | d4/2 |";
  const std::string hauntClose = "| g4/4 a4/4 | bb4/2 | c5/4 a4/4 | d5/2 | eb5/4 c5/4 | a4/4 f#4/4 | g4/2~ | g4/2 |";
  const std::string hauntChords = "Gm/2 | Gm | D | Gm | Cm | Gm | D | D7 | Gm | Gm | F | D | Cm | D7 | Gm | Gm |";
  const std::string sting = "C#dim7/2 | C#dim7 | C#dim7 | D7 |";
  const std::string oompah = "1/8' r/8 c/8' r/8";
  // Bars: sting 0, galop 4, again 12, trumpets 20, again 28, galop 36, haunted 44, galop 60, trumpets 68,
  // galop in full 76, caught 84..88.
  s.tempo = {{0, 76},      {4 * B, 144},  {43 * B, 144}, {44 * B, 80},
             {58 * B, 76}, {60 * B, 144}, {84 * B, 144}, {88 * B, 112, true}};
  const std::string chaseChords = galopChords + galopChords + trumpetChords + trumpetChords + galopChords;
  const std::string againChords = galopChords + trumpetChords + galopChords;

  Voice& tremolo = s.voice("Tremolo strings", 0, gm::TremoloStrings);
  tremolo.volume = 100;
  tremolo.gate = 1.0;
  tremolo.at_bar(0).chords("!p " + sting, "c/2", 52);
  tremolo.swell({{0, 50}, {3.5 * B, 127}});
  tremolo.at_bar(44).chords("!pp " + hauntChords, "c/2", 52);

  Voice& timp = s.voice("Timpani", 1, gm::Timpani);
  timp.volume = 96;
  timp.at_bar(0).add("!pp !< " + times(24, "d2/16") + "!f d2/8 r/8 r/4 |");
  timp.at_bar(84).add("!f g1/8 r/8 d2/8 r/8 | g1/8 r/8 r/4 | !< " + times(8, "d2/16") + "| !ff g1/4 r/4 |");

  Voice& xylo = s.voice("Xylophone", 2, gm::Xylophone);
  xylo.volume = 104;
  xylo.pan = 78;
  xylo.at_bar(4).add("!mf " + galop + galop);
  xylo.at_bar(36).add("!mf " + galop);
  xylo.at_bar(60).add("!f " + galop);
  xylo.at_bar(76).add("!f " + galop, 12);
  xylo.add(
      "!f | d5/8 d5/16 eb5/16 d5/8 c5/8 | bb4/8 a4/8 g4/4 | <g4 bb4 d5>/8^ r/8 <f#4 a4 c5>/8^ r/8 "
      "| <g4 bb4 d5 g5>/4^ r/4 |");

  Voice& tuba = s.voice("Tuba", 3, gm::Tuba);
  tuba.volume = 100;
  tuba.at_bar(4).chords("!mf " + chaseChords, "1/8' r/8 5/8' r/8", 43);
  tuba.at_bar(60).chords("!f " + againChords, "1/8' r/8 5/8' r/8", 43);
  tuba.at_bar(84).add("!f g2/8' r/8 d2/8' r/8 | g2/8' r/8 r/4 | g2/8^ r/8 d2/8^ r/8 | g1/4^ r/4 |");

  Voice& pizz = s.voice("Plucked strings", 4, gm::Pizzicato);
  pizz.volume = 96;
  pizz.pan = 44;
  pizz.at_bar(4).chords("!mf " + chaseChords, oompah, 43);
  pizz.at_bar(44).chords("!p " + hauntChords, "1/4 5/4", 43);
  pizz.at_bar(60).chords("!f " + againChords, oompah, 43);

  Voice& bassoon = s.voice("Bassoon", 5, gm::Bassoon);
  bassoon.volume = 100;
  bassoon.gate = 0.6;
  bassoon.at_bar(12).add("!mf " + galop, -12);
  bassoon.at_bar(76).add("!f " + galop, -12);

  Voice& clarinet = s.voice("Clarinet", 6, gm::Clarinet);
  clarinet.volume = 96;
  clarinet.pan = 90;
  clarinet.gate = 0.7;
  clarinet.at_bar(12).add("!mf " + galop);

  Voice& trumpet = s.voice("Trumpets", 7, gm::Trumpet);
  trumpet.volume = 100;
  trumpet.pan = 58;
  trumpet.gate = 0.8;
  trumpet.at_bar(20).add("!f " + trumpets + trumpets);
  trumpet.at_bar(68).add("!f " + trumpets);
  trumpet.at_bar(86).add("!ff <g4 bb4 d5>/8^ r/8 <f#4 a4 c5>/8^ r/8 | <g4 bb4 d5 g5>/4^ r/4 |");

  Voice& horns = s.voice("Horns", 8, gm::Horn);
  horns.volume = 90;
  horns.at_bar(20).chords("!mf " + trumpetChords + trumpetChords, "c/4 c/8' r/8", 50);
  horns.at_bar(68).chords("!f " + trumpetChords + galopChords, "c/4 c/8' r/8", 50);

  Voice& celesta = s.voice("Celesta", 10, gm::Celesta);
  celesta.volume = 96;
  celesta.pan = 70;
  celesta.at_bar(44).add("!mp " + hauntOpen + hauntClose, 12);

  Voice& violin = s.voice("Violin", 11, gm::Violin);
  violin.volume = 100;
  violin.pan = 50;
  violin.gate = 1.0;
  violin.at_bar(44).add("!p " + hauntOpen);
  violin.add("!mp " + hauntClose);
  violin.swell({{44 * B, 80}, {52 * B, 110}, {58 * B, 120}, {60 * B, 70}});

  Voice& choir = s.voice("Choir", 12, gm::Choir);
  choir.volume = 88;
  choir.reverb = 100;
  choir.gate = 1.0;
  choir.at_bar(44).chords("!p " + hauntChords, "c/2", 50);
  breathe(choir, 44, 60, B, 80, 115);

  Voice& strings = s.voice("Strings", 13, gm::Strings);
  strings.volume = 92;
  strings.gate = 0.7;
  strings.at_bar(28).add("!mf " + trumpets, -12);
  strings.at_bar(76).add("!f " + galop);

  Voice& drums = s.voice("Drums", 9, 0);
  drums.volume = 84;
  drums.at_bar(12).add("!mp " + times(8, "c2/8 r/8 d2/8 r/8 |"));
  drums.at_bar(28).add("!mf " + times(16, "c2/8 r/8 d2/8 d2/16 d2/16 |"));
  drums.at_bar(60).add("!f " + times(24, "c2/8 r/8 d2/8 d2/16 d2/16 |"));
  drums.at_bar(86).add("!f c2/8 r/8 d2/8 r/8 | c#3/4^ r/4 |");
  return s;
}

}  // namespace mediagen
