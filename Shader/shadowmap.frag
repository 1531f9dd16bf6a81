#version 330 core

// Depth only: the depth buffer is the whole result.
void main()
{
}
