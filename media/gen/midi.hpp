// The songs' score model, the little notation they are written in, and the
// Standard MIDI File writer.
//
// A voice's notes are written as text, one token per note:
//   d5/4   D in octave 5 (middle C is c4), a quarter; f#4/8. dotted eighth;
//          eb/8t an eighth-note triplet; durations 1 2 4 8 16 32.
//   g      octave and duration left out: the same duration as before, and
//          the G nearest the previous note (a tritone away goes up).
//   r/2    a rest.  <d f a>/2  a chord (each note nearest the one before it).
//   a/4~ a/8   tied.  Suffixes: ' staccato, - tenuto, ^ accent.
//   !pp !p !mp !mf !f !ff  dynamics; !< and !> swell or fade to the next one.
//   |      bar line: checked, so a bar that does not add up is an error.
// Harmony is written the same way with chord names for pitches: Dm/2 A7/4
// Bb/4 Gm:Bb/2 (a G minor chord over B flat), and played by patterns of
// chord tones: 1 3 5 7 (7 is the octave when the chord has no seventh; 1 is
// the bass note of a chord over another bass), 0 the bass an octave down,
// 8 10 12 an octave up, c the whole chord, r a rest: "1/4 c c" is a waltz.
// The pattern repeats for as long as each chord lasts.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace mediagen {

constexpr int kPpq = 480;

struct Note {
    int tick, len, key, vel;
};

struct Voice {
    std::string name;
    int channel = 0, program = 0;
    int volume = 100, pan = 64, reverb = 48, chorus = 0;
    double gate = 0.92;  // how much of its written length a note sounds
    int octaveShift = 0;
    std::vector<Note> notes;
    std::vector<std::pair<double, int>> expression;  // (beat, CC 11), linear between points
    std::vector<std::pair<double, bool>> pedal;       // (beat, sustain pedal down)
    int cursor = 0;  // where the next add() writes, in ticks
    // Carried from one add() to the next, so a line may be written in parts.
    int refKey = 60, dur = kPpq, vel = 78;
    int barTicks = 4 * kPpq;

    // Appends `text` at the cursor, moved by `transpose` semitones.
    Voice& add(const std::string& text, int transpose = 0);
    // Plays harmony `chords` with the chord-tone `pattern`, root nearest `rootNear`.
    Voice& chords(const std::string& chords, const std::string& pattern, int rootNear, int transpose = 0);
    Voice& at(double beat) {
        cursor = int(beat * kPpq + 0.5);
        return *this;
    }
    Voice& at_bar(int bar) {
        cursor = bar * barTicks;
        return *this;
    }
    Voice& rest_bars(int bars) {
        cursor += bars * barTicks;
        return *this;
    }
    Voice& swell(std::initializer_list<std::pair<double, int>> pts) {
        expression.insert(expression.end(), pts);
        return *this;
    }
};

struct TempoPoint {
    double beat, bpm;
    bool ramp = false;  // glide from the previous point instead of stepping
};

struct Song {
    std::string title;
    int num = 4, den = 4;
    std::vector<TempoPoint> tempo;
    // Silence before the first beat for a song the dialog starts a few
    // milliseconds in: its first notes then sound from that point on.
    double leadMs = 0;
    // Overall level in dB, so the songs sound about equally loud in turn:
    // taken off the channel volumes, or for a boost added to them and, past
    // their top, to the velocities.
    double levelDb = 0;
    std::deque<Voice> voices;  // a deque, so the Voice& a score holds stays valid as voices are added

    int bar_ticks() const { return num * kPpq * 4 / den; }
    double bar_beats() const { return num * 4.0 / den; }
    Voice& voice(const std::string& name, int channel, int program);
};

// The whole file, format 1: a tempo track and one track per voice.
std::vector<unsigned char> smf_bytes(const Song& song);
bool write_smf(const std::string& path, const Song& song);

// General MIDI programs the songs use (0-based).
namespace gm {
constexpr int Piano = 0, Harpsichord = 6, Celesta = 8, Glockenspiel = 9, MusicBox = 10, Vibraphone = 11,
              Marimba = 12, Xylophone = 13, TubularBells = 14, ChurchOrgan = 19, ReedOrgan = 20, Violin = 40,
              Viola = 41, Cello = 42, Contrabass = 43, TremoloStrings = 44, Pizzicato = 45, Harp = 46, Timpani = 47,
              Strings = 48, SlowStrings = 49, Choir = 52, Voice = 53, OrchestraHit = 55, Trumpet = 56,
              Trombone = 57, Tuba = 58, MutedTrumpet = 59, Horn = 60, Brass = 61, Oboe = 68, EnglishHorn = 69,
              Bassoon = 70, Clarinet = 71, Piccolo = 72, Flute = 73, Recorder = 74, PanFlute = 75, Whistle = 78,
              Ocarina = 79, Fretless = 35, AcousticBass = 32, Warm = 89, Halo = 94, Goblins = 101,
              Atmosphere = 99;
}
// Percussion keys on channel 10 (index 9).
namespace drum {
constexpr int Kick = 36, Snare = 38, Rim = 37, ClosedHat = 42, OpenHat = 46, Crash = 49, Ride = 51, Tam = 52,
              Splash = 55, LowTom = 45, FloorTom = 41, HighTom = 50, Shaker = 70, Cabasa = 69, Clap = 39,
              Castanets = 85, Triangle = 81, MuteTriangle = 80, Claves = 75, WoodBlock = 77;
}

}  // namespace mediagen
