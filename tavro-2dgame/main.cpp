// The process entry: the runtime on the process's own standard input and output, then the
// program entry. The run ends by returning here, with the exit status it was ended with.
#include "runtime.hpp"
#include "tavro.hpp"

int main(int argc, char** argv) {
  namespace rt = tavro2d::rt;
  const auto host = rt::make_platform_host();
  rt::start(*host, rt::real_clockwork(), argc, argv);
  int status = 0;
  try {
    rt::stop(TAVRO_2DGAME());
  } catch (const rt::EndOfRun& end) {
    status = end.status;
  }
  rt::release();
  return status;
}
