// The program part of the resource fixtures: only their resources are read.
int main() {
    return 0;
}
