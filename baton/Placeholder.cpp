// Placeholder until this library has its first source file; delete it then.
