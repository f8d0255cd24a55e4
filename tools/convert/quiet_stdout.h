// Standard output held back for a while: the scene loader reports the chunks it
// meets there, which is noise among the converter's own lines.
#pragma once

namespace convert {

class QuietStdout {
  public:
    QuietStdout();
    ~QuietStdout();
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

  private:
    int saved_ = -1;
};

} // namespace convert
