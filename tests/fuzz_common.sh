# Shared by the run_fuzz.sh scripts (sourced, with root set to the checkout): building
# fuzz targets and running one with the sanitizers' settings.

# fuzz_build TARGET...: builds the targets with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/.
fuzz_build() {
    cd "$root"
    cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DQUARN_SANITIZE=ON -DQUARN_FUZZ=ON \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ > build-fuzz.configure.log 2>&1 ||
        { cat build-fuzz.configure.log; exit 1; }
    cmake --build build-fuzz -j2 --target "$@"
}

# fuzz_run NAME COMMAND...: runs the fuzzer command inside build-fuzz/, its output in
# build-fuzz/fuzz-NAME.out. On a finding it prints the end of that output and of the
# worker's log and exits 1; otherwise it keeps the worker's log as fuzz-NAME.log.
fuzz_run() {
    local name=$1
    shift
    (cd "$root/build-fuzz" && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions="$root/tests/lsan.supp" \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 "$@" > "fuzz-$name.out" 2>&1) || {
        tail -60 "$root/build-fuzz/fuzz-$name.out"
        tail -60 "$root/build-fuzz/fuzz-0.log" 2>/dev/null
        exit 1
    }
    if [ -f "$root/build-fuzz/fuzz-0.log" ]; then
        tail -12 "$root/build-fuzz/fuzz-0.log"
        mv "$root/build-fuzz/fuzz-0.log" "$root/build-fuzz/fuzz-$name.log"
    else
        tail -12 "$root/build-fuzz/fuzz-$name.out"
    fi
}
