// A library that the long-path test copies deep into the file system and loads.
extern "C" __attribute__((visibility("default"))) int fp_path_probe() {
  return 0;
}
