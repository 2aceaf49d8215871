// How fast numbers and texts are written with pictures: the browse formats
// every visible cell on each repaint and the reports every printed amount.
#include "util/numfmt.h"
#include "util/picture.h"
#include "util/strfmt.h"

#include <chrono>
#include <cstdio>
#include <string>

using namespace velt;

template <typename F>
static void run(const char* what, int n, F f)
{
    auto t0 = std::chrono::steady_clock::now();
    size_t sink = 0;
    for (int i = 0; i < n; ++i) sink += f(i).size();
    auto us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%-32s %8.3f us/call  (%zu)\n", what, us / n, sink);
}

int main()
{
    const int n = 200000;
    const Picture money("@E 99,999.99"), code("9999999999999");
    run("TRANSFORM number @E 99,999.99", n, [&](int i) { return TRANSFORM(i * 0.37, money); });
    run("TRANSFORM text mask", n, [&](int i) { return TRANSFORM(std::to_string(i), code); });
    run("ENSTR computed", n, [](int i) { return ENSTR(i * 1.05); });
    run("NSTR computed", n, [](int i) { return NSTR(i); });
    run("CVALTOCHAR number", n, [](int i) { return CVALTOCHAR(i / 7.0); });
    return 0;
}
