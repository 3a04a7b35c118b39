// Makes the demo world's pictures and music from code (to be filled in).
int main() {
    return 0;
}
