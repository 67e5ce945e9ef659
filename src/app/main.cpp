#include "app/QuinzelbrockatApp.h"

int main(int argc, char** argv) {
    return qb::QuinzelbrockatApp::ausfuehren(argc, argv);
}
