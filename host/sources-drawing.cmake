# sources of the drawing group
