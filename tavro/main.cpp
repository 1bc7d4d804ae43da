// The process entry: the real console on this platform's standard input and output.
#include "console.hpp"
#include "tavro.hpp"

int main() {
  const auto host = tavro::make_platform_host();
  tavro::Console console(*host);
  return tavro::run(console);
}
