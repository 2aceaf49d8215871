#pragma once
// The one rounding rule of the program: halves away from zero, decided on the
// decimal value the double stands for (1.005 rounds to 1.01, 2.675 to 2.68),
// so binary noise never flips a rounding. Every amount the program stores,
// shows or adds up goes through ROUND.
namespace velt {

double ROUND(double value, int decimals);

// Division as the program does it: a division by zero yields 0, silently.
double DIV(double a, double b);

} // namespace velt
