#pragma once
// Tones of the till: TONE(freq, ms) plays a sine of that frequency and length
// and returns when it has sounded. The real one (AlsaTones) writes to the
// default ALSA device and is silent, without error, when there is none.
// The process-wide default is RecordedTones: nothing sounds until the program
// installs the real one at start-up, so tests never make a sound.
#include <memory>
#include <vector>

namespace velt::platform {

class Tones {
public:
    virtual ~Tones() = default;
    virtual void tone(double freq, int ms) = 0;
};

struct ToneCall {
    double freq;
    int ms;
    friend bool operator==(const ToneCall&, const ToneCall&) = default;
};

class RecordedTones : public Tones {
public:
    void tone(double freq, int ms) override { calls_.push_back({freq, ms}); }
    const std::vector<ToneCall>& calls() const { return calls_; }
    void clear() { calls_.clear(); }

private:
    std::vector<ToneCall> calls_;
};

// ALSA "default" device, 48 kHz mono. Opening failures are silent.
class AlsaTones : public Tones {
public:
    void tone(double freq, int ms) override;
};

Tones& tones();
std::unique_ptr<Tones> setTones(std::unique_ptr<Tones> t); // returns the previous one

} // namespace velt::platform

namespace velt {
// The system's beep: plays on the installed tones service.
void TONE(double freq, int ms);
} // namespace velt
