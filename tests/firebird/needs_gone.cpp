// A library that needs another one of its own ("parvel_gone").
extern "C" int parvel_biblioteca_ausente();

extern "C" int parvel_precisa_de_outra() {
    return parvel_biblioteca_ausente();
}
