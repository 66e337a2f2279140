#pragma once

#include <cmath>
#include <random>
#include <string>

// The ball's sensors, one sample every 10 ms of ball time. The motor spins the ball about its
// Z axis and makes it wobble; the rates follow the motor power with a lag, the angles integrate
// the rates, gravity turns with the ball, and the battery drains slowly (faster with the motor).
class tBallModel {
public:
    static constexpr int kSampleMs = 10;

    tBallModel(unsigned seed, int batteryPercent);

    // Motor power 0..255; durationMs 0 keeps it, otherwise it holds that long and then the
    // power before it returns.
    void SetMotor(int power, int durationMs);
    // Heading and gyroscope drift back to zero.
    void Calibrate();
    // The accelerometer's offsets back to zero.
    void CalibrateAcc();
    // The full scale that an index sets (g, °/s), or 0 for an unknown index.
    int SetAccRange(int index);
    int SetGyroRange(int index);

    int Battery() const { return static_cast<int>(std::ceil(battery_)); }
    // Lets `ms` of ball time pass without sampling (between streams).
    void Idle(long long ms);
    // Advances one sample period and returns the sample line, ending in CR LF.
    std::string NextLine();
    long long TimeMs() const { return timeMs_; }
    // The clock starts again: the next line carries `ms` (a reset of the ball).
    void RestartClock(long long ms) { timeMs_ = ms - kSampleMs; }

private:
    void Step(double dt);
    double Power() const;

    std::mt19937 random_;
    std::normal_distribution<double> noise_{0.0, 1.0};
    long long timeMs_ = 0;
    int basePower_ = 0;
    int impulsePower_ = 0;
    long long impulseEndMs_ = -1;
    double spinRate_ = 0;     // °/s about Z
    double wobble_ = 0;       // amplitude, °
    double phase_ = 0;        // rad
    double roll_ = 0, pitch_ = 0, yaw_ = 0;  // °
    double rateX_ = 0, rateY_ = 0;           // °/s
    double restRoll_ = 0, restPitch_ = 0;    // where the ball rests, °
    double gyroDrift_ = 0;
    double accOffset_[3] = {0, 0, 0};
    double battery_;
    int accScale_ = 16;
    int gyroScale_ = 2000;
};
