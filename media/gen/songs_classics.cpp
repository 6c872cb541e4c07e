// The four songs arranged from public-domain works: Chopin's funeral march,
// Bach's D minor toccata with a fugue of our own, a passacaglia on the Dies
// irae chant, and Grieg's troll march. The arrangements are ours.
#include "songs.hpp"

namespace mediagen {

// Song 1: the march from Chopin's B flat minor sonata for low brass over the
// rocking chords of its bass, tolled by a bell; a trio of our own in D flat
// major for choir, harp and strings; the march again, full, and a slow end.
Song death_toll() {
  Song s;
  s.title = "Death Toll";
  s.levelDb = -5.9;
  const double B = 4;
  const std::string rock = "Bbm/4 Gb:Bb Bbm Gb:Bb |";
  const std::string march =
      "| bb4/4 bb4/8. bb4/16 bb4/2 | db5/8. c5/16 c5/8. bb4/16 bb4/8. a4/16 bb4/4 "
      "| bb4/4 bb4/8. bb4/16 bb4/2 | db5/8. c5/16 c5/8. bb4/16 bb4/8. a4/16 bb4/4 "
      "| f5/4 eb5/8. db5/16 db5/2 | eb5/8. db5/16 db5/8. c5/16 c5/8. bb4/16 c5/4 "
      "| db5/4 c5/8. bb4/16 a4/4 bb4/8. c5/16 | bb4/2. r/4 |";
  const std::string answer = "Bbm/4 F7 Bbm Gb:Bb |";
  const std::string marchChords =
      rock + answer + rock + answer + "Db/4 Gb:Db Db Gb:Db | Ab7/2 Ebm/4 F7/4 | Gb/4 F7 F7 Bbm |" + rock;
  const std::string trio =
      "| f5/2 eb5/4 db5/4 | c5/4. db5/8 eb5/2 | ab4/4 bb4 c5 db5 | eb5/2. r/4 "
      "| f5/2 gb5/4 f5/4 | eb5/4. db5/8 c5/4 bb4/4 | ab4/4 db5/4 c5/4 eb5/4 | db5/2. r/4 |";
  const std::string trioChords = "Db/1 | Ab | Fm/2 Bbm/2 | Ab7/1 | Db/2 Gb/2 | Ebm/2 Ab7/2 | Db:Ab/2 Ab7/2 | Db/1 |";
  const std::string codaTune = "| bb4/4 bb4/8. bb4/16 bb4/2 | db5/8. c5/16 c5/8. bb4/16 bb4/8. a4/16 bb4/4 | bb4/1 |";
  const std::string codaChords = rock + rock + "Bbm/1 |";
  // Bars: intro 0, march 2, march on trombones 10, trio 18, march in full 26, end 34..37.
  s.tempo = {{0, 54},      {17 * B, 54}, {18 * B, 58},      {25 * B, 58}, {26 * B, 48, true},
             {26 * B, 54}, {34 * B, 54}, {37 * B, 36, true}};

  Voice& horn = s.voice("Horn", 0, gm::Horn);
  horn.volume = 104;
  horn.pan = 56;
  horn.at_bar(2).add("!mp " + march);
  horn.at_bar(26).add("!f " + march);
  horn.at_bar(34).add("!mp !> " + codaTune + " !pp");

  Voice& trombone = s.voice("Trombones", 1, gm::Trombone);
  trombone.volume = 100;
  trombone.pan = 72;
  trombone.at_bar(10).add("!mf " + march, -12);
  trombone.at_bar(26).add("!f " + march, -12);

  Voice& rocking = s.voice("Strings", 2, gm::Strings);
  rocking.volume = 84;
  rocking.at_bar(0).chords("!p " + rock + rock + marchChords + marchChords, "c/4", 46);
  rocking.at_bar(26).chords("!mf " + marchChords + codaChords, "c/4", 46);
  breathe(rocking, 0, 18, B, 80, 105);
  breathe(rocking, 26, 37, B, 90, 115);

  Voice& bass = s.voice("Contrabass", 3, gm::Contrabass);
  bass.volume = 100;
  bass.at_bar(0).chords("!mp " + rock + rock + marchChords + marchChords, "1/4", 34);
  bass.chords("!p " + trioChords, "1/2", 37);
  bass.chords("!mf " + marchChords + codaChords, "1/4", 34);

  Voice& tuba = s.voice("Tuba", 4, gm::Tuba);
  tuba.volume = 92;
  tuba.at_bar(10).chords("!mp " + marchChords, "1/2", 34);
  tuba.at_bar(26).chords("!f " + marchChords + codaChords, "1/2", 34);

  Voice& timp = s.voice("Timpani", 5, gm::Timpani);
  timp.volume = 92;
  timp.at_bar(0).add("!p " + times(18, "bb1/4 r f2 r |"));
  timp.add("!pp r/1 | r/1 | r/1 | !< " + times(16, "ab1/16") + "| !p r/1 | r/1 | r/1 | r/1 |");
  timp.add("!mf " + times(8, "bb1/4 r f2 r |"));
  timp.add("!mp bb1/4 r f2 r | bb1/4 r f2 r | !pp !< " + times(12, "bb1/16") + "!mf bb1/4 |");

  Voice& bell = s.voice("Tubular bell", 6, gm::TubularBells);
  bell.volume = 88;
  bell.reverb = 96;
  bell.at_bar(0).add("!mf bb4/1 | bb4/1 |");
  for (int bar : {2, 6, 10, 14, 26, 30}) bell.at_bar(bar).add("!mp bb4/1");
  bell.at_bar(34).add("!mp bb4/1 | r/1 | !mf bb3/1 |");

  Voice& choir = s.voice("Choir", 7, gm::Choir);
  choir.volume = 92;
  choir.reverb = 90;
  choir.gate = 1.0;
  choir.at_bar(18).chords("!p " + trioChords, "c/1", 49);
  choir.at_bar(26).chords("!mp " + marchChords, "c/2", 46);
  choir.chords("!p " + codaChords, "c/1", 46);
  breathe(choir, 18, 37, B, 80, 110);

  Voice& violins = s.voice("Violins", 8, gm::Strings);
  violins.volume = 100;
  violins.pan = 44;
  violins.gate = 0.98;
  violins.at_bar(18).add("!mp " + trio);
  breathe(violins, 18, 26, B, 90, 120);

  Voice& harp = s.voice("Harp", 10, gm::Harp);
  harp.volume = 86;
  harp.pan = 84;
  harp.at_bar(18).chords("!p " + trioChords, "1/8 5 8 10 12 10 8 5", 37);
  return s;
}

// Song 2: the opening of Bach's Toccata in D minor (the descending flourish
// in three octaves, the broken diminished chord over the pedal), a running
// passage, a three-voice fugue of our own on a subject in the same manner,
// and a plagal close that lands on D major.
Song pipe_organ() {
  Song s;
  s.title = "Pipe Organ";
  // Organ samples differ most between soundfonts; this sits between them.
  s.levelDb = -2.9;
  const double B = 4;
  const std::string flourish = "| a5/32 g a/8.~ a/2 r/8 g/32 f e d | c#5/8 d5/2 r/4. |";
  const std::string subject = "| d4/8 a4 f4 d4 c#4 d4 e4 f4 | g4/8 e4 a4 g4 f4/16 e4 d4 c#4 d4/8 r/8 |";
  const std::string subjectChords = "Dm/2 A7/2 | Gm/2 A7/4 Dm/4 |";
  // Bars: toccata 0, running passage 8, fugue 12, episode 18, last entry 22, close 24, plagal end 26..30.
  s.tempo = {{0, 52},      {1.5, 52},    {2, 40, true},      {2, 52},      {3.5, 52},         {4, 40, true},
             {4, 52},      {7 * B, 50},  {8 * B, 38, true},  {8 * B, 92},  {11 * B, 92},      {12 * B, 80, true},
             {12 * B, 88}, {24 * B, 88}, {25 * B, 70, true}, {26 * B, 46}, {30 * B, 34, true}};

  Voice& great = s.voice("Great organ", 0, gm::ChurchOrgan);
  great.volume = 100;
  great.pan = 52;
  great.reverb = 100;
  great.gate = 0.96;
  Voice& swell = s.voice("Swell organ", 1, gm::ChurchOrgan);
  swell.volume = 92;
  swell.pan = 76;
  swell.reverb = 100;
  swell.gate = 0.96;
  Voice& pedal = s.voice("Pedal", 2, gm::ChurchOrgan);
  pedal.volume = 104;
  pedal.reverb = 100;
  pedal.gate = 0.97;

  great.at_bar(0).add("!f " + flourish);
  swell.at_bar(0).add("!f " + flourish, -12);
  great.add("!mf " + flourish, -12);
  swell.add("!mf " + flourish, -24);
  swell.add("!f " + flourish, -24);
  pedal.at_bar(4).add("!f " + flourish, -36);
  great.at_bar(6).add("!f r/2 <c#4 e g bb c#5>/2 | <d4 f a d5>/1 |");
  swell.at_bar(6).add("!f c#3/16 e g bb c#4 e g bb <c#3 e3 g3 bb3>/2 | <d3 f3 a3>/1 |");
  pedal.at_bar(6).add("!f d2/1~ | d2/1 |");

  // A running passage over the harmony the toccata goes on with.
  const std::string run = "Dm/1 | Gm/2 A7/2 | Dm/2 Bb/2 | C#dim7/2 A7/2 |";
  great.at_bar(8).chords("!mf " + run, "8/16 5 3 5 8 10 8 5", 62);
  swell.at_bar(8).chords("!mp " + run, "c/2", 50);
  pedal.at_bar(8).chords("!mf " + run, "1/4 5 1 5", 38);

  // The fugue: the subject in the middle voice, the answer above it in A
  // minor over a countersubject, then in the pedal under two free voices.
  swell.at_bar(12).add("!mf " + subject);
  great.at_bar(14).add("!mf " + subject, 7);
  swell.add("| e4/2 d4/2 | f4/4 d4/4 e4/4 c4/4 |");
  pedal.at_bar(16).add("!f " + subject, -24);
  great.add("| f5/2 e5/2 | d5/4 bb4/4 c#5/4 d5/4 |");
  swell.add("| a4/2 a4/2 | bb4/4 g4/4 e4/4 f4/4 |");
  const std::string episode = "Gm/2 C7/2 | F/2 Bb/2 | Edim/2 A7/2 | Dm/2 A7/2 |";
  great.at_bar(18).chords("!mf " + episode, "8/16 5 3 5 8 10 8 5", 62);
  swell.at_bar(18).chords("!mp " + episode, "1/8 3 5 3", 50);
  pedal.at_bar(18).chords("!mf " + episode, "1/4 r 5 r", 38);
  great.at_bar(22).add("!f " + subject, 12);
  swell.at_bar(22).chords("!mf " + subjectChords, "c/4", 52);
  pedal.at_bar(22).chords("!f " + subjectChords, "1/2", 38);
  great.at_bar(24).add("!f " + flourish);
  swell.at_bar(24).add("!f <a3 c#4 e4 g4>/1 | <a3 d4 f4>/2. r/4 |");
  pedal.at_bar(24).add("!f a1/1 | d2/2. r/4 |");
  // Plagal close over a held D: G minor, A over D, D minor, D major.
  great.at_bar(26).add("!f <g4 bb4 d5>/1 | <a4 c#5 e5>/1 | <a4 d5 f5>/1 | <a4 d5 f#5>/1 |");
  swell.at_bar(26).add("!f <bb3 d4>/1 | <a3 e4>/1 | <a3 d4>/1 | <a3 d4>/1 |");
  pedal.at_bar(26).add("!f d2/1~ | d2/1~ | d2/1~ | d2/1 |");
  return s;
}

// Song 3: a passacaglia. A ground bass falls chromatically from E to B
// under every variation; the Dies irae chant enters on horns, then choir and
// bells; a lament on the cor anglais; a middle sinking a fourth lower into B
// minor; a climax, and the ground sinks an octave deeper each time to the end.
Song descent() {
  Song s;
  s.title = "Descent";
  s.levelDb = -5.4;
  s.num = 3;
  const double B = 3;
  const std::string ground = "| e3/2. | d#3/2 d3/4 | c#3/2 c3/4 | b2/2. |";
  const std::string groundChords = "Em/2. | B:D#/2 G:D/4 | A:C#/2 Am:C/4 | B7/2. |";
  const std::string dies = "| g4/4 f# g | e f# d | e/2 e/4 | r/2. |";
  const std::string lamentOpen = "| b4/2 a4/4 | f#4/2 g4/4 | a4/2 e4/4 | f#4/2. |";
  const std::string lamentClose = "| e5/2 b4/4 | d#5/2 d5/4 | c#5/2 c5/4 | b4/2. |";
  // Bars: ground 0, strings 4, chant 8, choir 12, lament 16, B minor 24, climax 32, sinking 40, end 48.
  s.tempo = {{0, 66},      {31 * B, 66},      {32 * B, 72, true}, {40 * B, 72}, {41 * B, 62, true},
             {44 * B, 60}, {49 * B, 42, true}};

  Voice& cello = s.voice("Cellos", 0, gm::Cello);
  cello.volume = 100;
  cello.pan = 54;
  cello.gate = 0.98;
  cello.at_bar(0).add("!p " + times(6, ground));
  cello.add("!p " + times(2, ground), -5);
  cello.add("!f " + times(2, ground));
  cello.add("!mp " + ground, -12);
  cello.add("!p !> " + ground + " !pp", -12);
  cello.add("!pp e2/2.");

  Voice& bass = s.voice("Contrabasses", 1, gm::Contrabass);
  bass.volume = 96;
  bass.gate = 0.98;
  bass.at_bar(4).add("!p " + times(5, ground), -12);
  bass.add("!p " + times(2, ground), -17);
  bass.add("!f " + times(2, ground), -12);
  bass.add("!mp " + ground, -24);
  bass.add("!p " + ground, -24);
  bass.add("!pp e1/2.");

  Voice& pad = s.voice("Strings", 2, gm::SlowStrings);
  pad.volume = 80;
  pad.gate = 1.0;
  pad.at_bar(4).chords("!p " + times(5, groundChords), "c/2.", 52);
  pad.chords("!pp " + times(2, groundChords), "c/2.", 52, -5);
  pad.chords("!mf " + times(2, groundChords), "c/2.", 52);
  pad.chords("!p " + times(2, groundChords) + "Em/2.", "c/2.", 52);
  breathe(pad, 4, 49, B, 75, 110);

  Voice& horns = s.voice("Horns", 3, gm::Horn);
  horns.volume = 96;
  horns.pan = 40;
  horns.at_bar(8).add("!p " + dies, -12);
  horns.at_bar(32).add("!f " + dies + dies, -12);
  horns.at_bar(40).add("!mp " + dies, -12);
  horns.at_bar(44).add("!p " + dies, -12);

  Voice& choir = s.voice("Choir", 4, gm::Choir);
  choir.volume = 98;
  choir.reverb = 100;
  choir.gate = 1.0;
  choir.at_bar(12).add("!mp " + dies);
  choir.at_bar(24).add("!p " + dies, -5);
  choir.at_bar(32).chords("!f " + times(2, groundChords), "c/2.", 52);
  choir.at_bar(48).add("!p <e3 b3 e4 g4>/2.");

  Voice& cor = s.voice("Cor anglais", 5, gm::EnglishHorn);
  cor.volume = 104;
  cor.pan = 78;
  cor.gate = 0.97;
  cor.at_bar(16).add("!mp !< " + lamentOpen + " !mf " + lamentClose + " !mp");
  cor.at_bar(28).add("!p " + lamentClose, -5);

  Voice& violins = s.voice("Violins", 6, gm::Strings);
  violins.volume = 100;
  violins.pan = 60;
  violins.gate = 0.98;
  violins.at_bar(32).add("!f " + lamentOpen + lamentClose, 12);
  breathe(violins, 32, 40, B, 95, 125);

  Voice& timp = s.voice("Timpani", 7, gm::Timpani);
  timp.volume = 96;
  for (int bar : {0, 8, 16, 24, 40, 44}) timp.at_bar(bar).add("!mp e2/4 r/2");
  timp.at_bar(32).add("!mf " + times(2, "e2/4 r/2 | r/2. | r/2. | b1/4 r/2 |"));
  timp.at_bar(47).add("!pp !< " + times(12, "b1/16") + "| !mf e2/4 r/2 |");

  Voice& bells = s.voice("Bells", 8, gm::TubularBells);
  bells.volume = 86;
  bells.reverb = 100;
  bells.at_bar(12).add("!mp e4/2. | r/2. | r/2. | b3/2. |");
  bells.at_bar(48).add("!mp e4/2.");

  Voice& harp = s.voice("Harp", 10, gm::Harp);
  harp.volume = 84;
  harp.pan = 90;
  harp.at_bar(24).chords("!p " + times(2, groundChords), "1/8 5 8 10 8 5", 50, -5);

  Voice& celesta = s.voice("Celesta", 11, gm::Celesta);
  celesta.volume = 80;
  celesta.at_bar(28).add("!pp " + dies, 7);

  Voice& trombones = s.voice("Trombones", 12, gm::Trombone);
  trombones.volume = 94;
  trombones.at_bar(32).add("!mf " + dies + dies, -24);
  trombones.at_bar(40).add("!p " + ground, -12);
  trombones.add("!pp " + ground, -12);
  trombones.add("!pp e2/2.");
  return s;
}

// Song 5: Grieg's "In the Hall of the Mountain King": the theme creeps in on
// bassoons over plucked basses and comes round again and again, louder,
// higher, faster, until the whole orchestra stamps it out and ends on
// hammered chords.
Song demony() {
  Song s;
  s.title = "Demony";
  s.levelDb = -12.1;
  s.leadMs = 40;
  const double B = 4;
  const std::string half =
      "| b3/8 c#4 d4 e4 f#4 d4 f#4/4 | e#4/8 c#4 e#4/4 e4/8 c4 e4/4 "
      "| b3/8 c#4 d4 e4 f#4 d4 f#4 b4 | a4/8 f#4 d4 f#4 a4/2 |";
  const std::string halfChords = "Bm/1 | C#/2 C/2 | Bm/1 | D/1 |";
  // The theme: the phrase at home, then a fifth up.
  auto theme = [&](Voice& v, const std::string& dyn, int shift) {
    v.add(dyn + " " + half, shift);
    v.add(half, shift + 7);
  };
  auto themeChords = [&](Voice& v, const std::string& dyn, const std::string& pattern, int near) {
    v.chords(dyn + " " + halfChords, pattern, near);
    v.chords(halfChords, pattern, near, 7);
  };
  // Bars: bassoons 0, woodwinds 8, strings 16, violins and xylophone 24, full 32, hammered end 40..44.
  s.tempo = {{0, 92},
             {8 * B, 104, true},
             {16 * B, 120, true},
             {24 * B, 138, true},
             {32 * B, 152, true},
             {40 * B, 176, true},
             {42 * B, 176},
             {44 * B, 140, true}};

  Voice& bassoon = s.voice("Bassoons", 0, gm::Bassoon);
  bassoon.volume = 127;
  bassoon.gate = 0.6;
  bassoon.at_bar(0);
  // Soft, but not so soft that the opening is lost under a room's noise
  // while the end is loud: the climb is in the instruments joining in.
  theme(bassoon, "!mf", -12);
  theme(bassoon, "!f", -12);

  Voice& clarinet = s.voice("Clarinet", 1, gm::Clarinet);
  clarinet.volume = 96;
  clarinet.pan = 80;
  clarinet.gate = 0.6;
  clarinet.at_bar(8);
  theme(clarinet, "!f", 0);

  Voice& pizz = s.voice("Plucked basses", 2, gm::Pizzicato);
  pizz.volume = 110;
  pizz.pan = 50;
  pizz.at_bar(0);
  for (const char* dyn : {"!mf", "!mf", "!f", "!f", "!ff"}) themeChords(pizz, dyn, "1/4' 5' 1' 5'", 38);

  Voice& strings = s.voice("Strings", 3, gm::Strings);
  strings.volume = 104;
  strings.pan = 60;
  strings.gate = 0.55;
  strings.at_bar(16);
  theme(strings, "!mf", 0);
  theme(strings, "!f", 12);
  theme(strings, "!ff", 12);

  Voice& horns = s.voice("Horns", 4, gm::Horn);
  horns.volume = 92;
  horns.at_bar(16);
  themeChords(horns, "!mp", "c/1", 50);
  themeChords(horns, "!mf", "c/2", 50);
  themeChords(horns, "!f", "c/4^ c c c", 50);

  Voice& xylo = s.voice("Xylophone", 5, gm::Xylophone);
  xylo.volume = 96;
  xylo.pan = 90;
  xylo.at_bar(24);
  theme(xylo, "!mf", 12);
  theme(xylo, "!f", 12);

  Voice& trombones = s.voice("Trombones", 6, gm::Trombone);
  trombones.volume = 100;
  trombones.gate = 0.6;
  trombones.at_bar(24);
  theme(trombones, "!f", -12);
  theme(trombones, "!ff", -12);

  Voice& tuba = s.voice("Tuba", 7, gm::Tuba);
  tuba.volume = 100;
  tuba.at_bar(32);
  themeChords(tuba, "!f", "1/4' 5' 1' 5'", 38);

  Voice& timp = s.voice("Timpani", 8, gm::Timpani);
  timp.volume = 100;
  timp.at_bar(16);
  themeChords(timp, "!mp", "1/4 r/4 5/4 r/4", 38);
  themeChords(timp, "!mf", "1/4 5 1 5", 38);
  themeChords(timp, "!f", "1/8 1 5 5 1 1 5 5", 38);

  const std::string stamp =
      "| <b2 d3 f#3 b3>/4^ r/4 <b2 d3 f#3 b3>/4^ r/4 | <f#2 c#3 a#3 c#4>/4^ r/4 <f#2 c#3 a#3 c#4>/4^ r/4 "
      "| <b2 d3 f#3 b3>/4^ r/4 <f#2 c#3 a#3 c#4>/4^ r/4 | <b2 d3 f#3 b3>/2^ r/2 |";
  Voice& brass = s.voice("Brass", 10, gm::Brass);
  brass.volume = 104;
  brass.at_bar(32);
  theme(brass, "!ff", 0);
  brass.add("!ff " + stamp);
  strings.add("!ff " + stamp, 12);
  trombones.add("!ff " + stamp);
  horns.add("!ff " + stamp);
  timp.add("!ff b1/4 r f#2 r | f#2/4 r f#2 r | b1/4 r f#2 r | b1/4 r/2. |");
  pizz.add("!ff " + times(3, "r/1 |") + "b1/4 r/2. |");
  tuba.add("!ff b1/4 r b1 r | f#1/4 r f#1 r | b1/4 r f#1 r | b1/4 r/2. |");

  Voice& cymbal = s.voice("Cymbals", 9, 0);
  cymbal.volume = 90;
  for (int bar = 32; bar < 40; bar += 2) cymbal.at_bar(bar).add("!f c#3/4");
  cymbal.at_bar(40).add("!ff c#3/4 r/2. | r/1 | r/1 | c#3/4 r/2. |");
  return s;
}

}  // namespace mediagen
