// A library that another one needs; the tests leave it out of a folder or copy it in.
extern "C" int parvel_biblioteca_ausente() {
    return 1;
}
