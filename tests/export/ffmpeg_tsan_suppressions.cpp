// FFmpeg is not built with the thread sanitizer: its encoder threads return
// frame buffers through reference counts whose atomic operations the sanitizer
// cannot see, so the reuse of a buffer inside FFmpeg looks like a race. Only
// reports with FFmpeg's own code on the stack are silenced; the exporter's
// locking is still checked.
extern "C" const char* __tsan_default_suppressions() {
  return "race:libavcodec.so\n"
         "race:libavutil.so\n"
         "race:libswscale.so\n";
}
